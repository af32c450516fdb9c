// Music synthesis and Ogg Vorbis encoding for the sample MUSIC folder.
#include "contentgen/music.h"

#include <vorbis/vorbisenc.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace contentgen {
namespace {

constexpr int kMusicRate = 22050;
constexpr double kTrackSeconds = 4.0;
constexpr int kTrackCount = 3;
constexpr double kTuneFadeSeconds = 0.01;
constexpr double kPi = 3.14159265358979323846;

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<uint8_t> EncodeOggVorbis(const std::vector<int16_t>& samples, int rate, int channels) {
  std::vector<uint8_t> out;
  if ((channels != 1 && channels != 2) || rate <= 0) return out;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, 0.2f) != 0) {
    vorbis_info_clear(&info);
    return out;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_comment_add_tag(&comment, "ENCODER", "contentgen");
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 0x436f7273);
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

  const size_t frames = samples.size() / channels;
  constexpr size_t kChunk = 1024;
  size_t done = 0;
  bool finished = false;
  while (!finished) {
    const size_t count = std::min(kChunk, frames - done);
    if (count == 0) {
      vorbis_analysis_wrote(&dsp, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (size_t i = 0; i < count; ++i) {
        for (int c = 0; c < channels; ++c) buffer[c][i] = samples[(done + i) * channels + c] / 32768.0f;
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(count));
      done += count;
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          AppendPage(out, page);
          if (ogg_page_eos(&page)) finished = true;
        }
      }
    }
    if (count == 0 && !finished) {
      while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);
      finished = true;
    }
  }
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

std::vector<uint8_t> EncodeMpegAudio(const std::vector<int16_t>& samples, int rate, int channels) {
  std::vector<uint8_t> out;
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
  if (codec == nullptr || (channels != 1 && channels != 2)) return out;
  AVCodecContext* context = avcodec_alloc_context3(codec);
  AVFrame* frame = av_frame_alloc();
  AVPacket* packet = av_packet_alloc();
  bool ok = context != nullptr && frame != nullptr && packet != nullptr;
  if (ok) {
    context->sample_fmt = AV_SAMPLE_FMT_S16;
    context->sample_rate = rate;
    context->bit_rate = channels == 2 ? 128000 : 64000;
    av_channel_layout_default(&context->ch_layout, channels);
    ok = avcodec_open2(context, codec, nullptr) == 0;
  }
  auto drain = [&]() {
    while (avcodec_receive_packet(context, packet) == 0) {
      out.insert(out.end(), packet->data, packet->data + packet->size);
      av_packet_unref(packet);
    }
  };
  const size_t frames = samples.size() / static_cast<size_t>(channels);
  for (size_t done = 0; ok && done < frames; done += static_cast<size_t>(context->frame_size)) {
    frame->nb_samples = context->frame_size;
    frame->format = context->sample_fmt;
    av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
    ok = av_frame_get_buffer(frame, 0) == 0;
    if (!ok) break;
    auto* target = reinterpret_cast<int16_t*>(frame->data[0]);
    for (int i = 0; i < context->frame_size * channels; ++i) {
      const size_t index = done * channels + static_cast<size_t>(i);
      target[i] = index < samples.size() ? samples[index] : 0;  // the last frame is padded with silence
    }
    ok = avcodec_send_frame(context, frame) == 0;
    av_frame_unref(frame);
    if (ok) drain();
  }
  if (ok && avcodec_send_frame(context, nullptr) == 0) drain();
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&context);
  if (!ok) out.clear();
  return out;
}

std::vector<int16_t> SynthesiseTune(int variant, double seconds, int rate) {
  static const int kScale[] = {0, 2, 4, 7, 9, 12, 14, 16};
  const size_t frames = static_cast<size_t>(seconds * rate);
  std::vector<int16_t> out(frames * 2);
  const double beat = 0.25;
  const double fadeFrames = std::max(1.0, kTuneFadeSeconds * rate);
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const int step = static_cast<int>(t / beat);
    const int note = kScale[(step * (3 + variant) + variant) % 8];
    const double hertz = 220.0 * std::pow(2.0, note / 12.0);
    const double local = t - step * beat;
    const double lead = std::sin(2 * kPi * hertz * t) * std::exp(-6 * local) * 0.35;
    const double bass = std::sin(2 * kPi * 55.0 * (1 + variant % 2) * t) * 0.2;
    // A tune starts and ends at silence, so the next one can follow straight on without a click.
    const double fade = std::min({1.0, static_cast<double>(i) / fadeFrames, static_cast<double>(frames - 1 - i) / fadeFrames});
    out[2 * i] = static_cast<int16_t>(std::lround((lead * 0.8 + bass) * fade * 32767));
    out[2 * i + 1] = static_cast<int16_t>(std::lround((lead + bass * 0.8) * fade * 32767));
  }
  return out;
}

std::vector<std::string> MusicFileNames() {
  std::vector<std::string> names;
  for (int i = 1; i <= kTrackCount; ++i) names.push_back("MUSIC/track0" + std::to_string(i) + ".ogg");
  return names;
}

bool WriteMusic(const std::string& gameFolder) {
  const std::string root = gameFolder.empty() || gameFolder.back() == '/' ? gameFolder : gameFolder + "/";
  std::error_code error;
  std::filesystem::create_directories(root + "MUSIC", error);
  const std::vector<std::string> names = MusicFileNames();
  for (size_t i = 0; i < names.size(); ++i) {
    const std::vector<uint8_t> bytes =
        EncodeOggVorbis(SynthesiseTune(static_cast<int>(i), kTrackSeconds, kMusicRate), kMusicRate, 2);
    std::ofstream file(root + names[i], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (bytes.empty() || !file) {
      std::fprintf(stderr, "contentgen: cannot write %s%s\n", root.c_str(), names[i].c_str());
      return false;
    }
  }
  return true;
}

}  // namespace contentgen
