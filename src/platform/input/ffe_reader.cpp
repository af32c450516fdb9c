// Effect-file reading: RIFF lists walked with every length checked against the bytes of its parent.
#include "platform/input/ffe_reader.h"

#include <cstdio>
#include <cstring>

#include "platform/file_system.h"

namespace platform::input {
namespace {

// The standard effect GUIDs share all but their first byte: {13541Cxx-8E33-11D0-9AD0-00A0C9A06E35}.
constexpr uint8_t kGuidTail[15] = {0x1C, 0x54, 0x13, 0x33, 0x8E, 0xD0, 0x11, 0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35};
constexpr uint8_t kFirstKindByte = 0x20;
constexpr int kKindCount = static_cast<int>(ForceEffectKind::kFriction) + 1;

uint32_t U32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

struct Chunk {
  const uint8_t* id;
  const uint8_t* body;
  size_t length;
};

// Splits [bytes, bytes+size) into chunks; false when one runs past the end.
bool SplitChunks(const uint8_t* bytes, size_t size, std::vector<Chunk>& chunks) {
  size_t offset = 0;
  while (offset < size) {
    if (size - offset < 8) return false;
    const size_t length = U32(bytes + offset + 4);
    if (length > size - offset - 8) return false;
    chunks.push_back({bytes + offset, bytes + offset + 8, length});
    offset += 8 + length;
    if (length & 1) offset += (offset < size) ? 1 : 0;  // pad byte, tolerated when the file ends without it
  }
  return true;
}

bool Is(const Chunk& chunk, const char* id) { return std::memcmp(chunk.id, id, 4) == 0; }

// One "efct" list; false with an error for a broken effect, true with `known` false for an unknown type.
bool ReadEffect(const uint8_t* bytes, size_t size, ForceEffect& effect, bool& known, std::string& error) {
  std::vector<Chunk> chunks;
  if (!SplitChunks(bytes, size, chunks)) {
    error = "an effect chunk runs past its list";
    return false;
  }
  const Chunk* id = nullptr;
  const Chunk* parm = nullptr;
  const Chunk* axes = nullptr;
  const Chunk* dirn = nullptr;
  const Chunk* envl = nullptr;
  const Chunk* tspc = nullptr;
  const Chunk* name = nullptr;
  for (const Chunk& chunk : chunks) {
    if (Is(chunk, "id  ")) id = &chunk;
    else if (Is(chunk, "parm")) parm = &chunk;
    else if (Is(chunk, "axes")) axes = &chunk;
    else if (Is(chunk, "dirn")) dirn = &chunk;
    else if (Is(chunk, "envl")) envl = &chunk;
    else if (Is(chunk, "tspc")) tspc = &chunk;
    else if (Is(chunk, "name")) name = &chunk;
  }
  if (id == nullptr || id->length != 16 || parm == nullptr || parm->length < 32) {
    error = "an effect lacks its type or parameters";
    return false;
  }
  Guid guid;
  std::memcpy(guid.data(), id->body, 16);
  const std::optional<ForceEffectKind> kind = ForceEffectKindOfGuid(guid);
  known = kind.has_value();
  if (!known) return true;

  effect = ForceEffect{};
  effect.kind = *kind;
  if (name != nullptr) {
    const char* text = reinterpret_cast<const char*>(name->body);
    effect.name.assign(text, strnlen(text, name->length));
  }
  const uint8_t* p = parm->body;
  effect.flags = U32(p);
  effect.duration = U32(p + 4);
  effect.samplePeriod = U32(p + 8);
  effect.gain = U32(p + 12);
  effect.triggerButton = U32(p + 16);
  effect.triggerRepeatInterval = U32(p + 20);
  const uint32_t axisCount = U32(p + 24);
  effect.startDelay = U32(p + 28);
  if (effect.gain > kMaxForceGain) effect.gain = kMaxForceGain;
  if (axisCount > kMaxEffectAxes) {
    error = "an effect names more axes than a device has";
    return false;
  }
  if (axisCount > 0) {
    if (axes == nullptr || axes->length < axisCount * 4 || dirn == nullptr || dirn->length < axisCount * 4) {
      error = "an effect's axes or directions are shorter than its axis count";
      return false;
    }
    for (uint32_t i = 0; i < axisCount; ++i) {
      effect.axes.push_back(U32(axes->body + 4 * i));
      effect.directions.push_back(I32(dirn->body + 4 * i));
    }
  }
  if (envl != nullptr) {
    if (envl->length < 16) {
      error = "an effect's envelope is truncated";
      return false;
    }
    effect.hasEnvelope = true;
    effect.envelope = {U32(envl->body), U32(envl->body + 4), U32(envl->body + 8), U32(envl->body + 12)};
  }
  const size_t specific = tspc != nullptr ? tspc->length : 0;
  const uint8_t* t = tspc != nullptr ? tspc->body : nullptr;
  bool enough = true;
  if (effect.kind == ForceEffectKind::kConstant) {
    enough = specific >= 4;
    if (enough) effect.magnitude = I32(t);
  } else if (effect.kind == ForceEffectKind::kRamp) {
    enough = specific >= 8;
    if (enough) {
      effect.rampStart = I32(t);
      effect.rampEnd = I32(t + 4);
    }
  } else if (effect.IsPeriodic()) {
    enough = specific >= 16;
    if (enough) {
      effect.periodicMagnitude = U32(t);
      effect.periodicOffset = I32(t + 4);
      effect.phase = U32(t + 8);
      effect.period = U32(t + 12);
    }
  } else {
    const size_t count = specific / 24;
    enough = count >= 1 && count <= kMaxEffectAxes;
    for (size_t i = 0; enough && i < count; ++i) {
      const uint8_t* c = t + 24 * i;
      effect.conditions.push_back({I32(c), I32(c + 4), I32(c + 8), U32(c + 12), U32(c + 16), I32(c + 20)});
    }
  }
  if (!enough) {
    error = "an effect's type-specific parameters are missing or truncated";
    return false;
  }
  return true;
}

}  // namespace

Guid ForceEffectGuid(ForceEffectKind kind) {
  Guid guid{};
  guid[0] = static_cast<uint8_t>(kFirstKindByte + static_cast<int>(kind));
  std::memcpy(guid.data() + 1, kGuidTail, sizeof kGuidTail);
  return guid;
}

std::optional<ForceEffectKind> ForceEffectKindOfGuid(const Guid& guid) {
  if (std::memcmp(guid.data() + 1, kGuidTail, sizeof kGuidTail) != 0) return std::nullopt;
  const int index = guid[0] - kFirstKindByte;
  if (index < 0 || index >= kKindCount) return std::nullopt;
  return static_cast<ForceEffectKind>(index);
}

bool ReadForceEffects(const uint8_t* bytes, size_t size, std::vector<ForceEffect>& effects, std::string& error) {
  effects.clear();
  if (bytes == nullptr || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "FORC", 4) != 0) {
    error = "not a force-feedback effect file";
    return false;
  }
  const size_t declared = U32(bytes + 4);
  if (declared < 4 || declared > size - 8) {
    error = "the file is shorter than its header says";
    return false;
  }
  std::vector<Chunk> chunks;
  if (!SplitChunks(bytes + 12, declared - 4, chunks)) {
    error = "a chunk runs past the end of the file";
    return false;
  }
  std::vector<ForceEffect> read;
  for (const Chunk& chunk : chunks) {
    if (!Is(chunk, "LIST") || chunk.length < 4 || std::memcmp(chunk.body, "efct", 4) != 0) continue;
    ForceEffect effect;
    bool known = false;
    if (!ReadEffect(chunk.body + 4, chunk.length - 4, effect, known, error)) return false;
    if (known) read.push_back(std::move(effect));
  }
  effects = std::move(read);
  return true;
}

bool LoadForceEffectFile(const std::string& path, std::vector<ForceEffect>& effects) {
  effects.clear();
  std::vector<unsigned char> bytes;
  std::string error;
  if (!ReadWholeFile(path, bytes, kMaxForceEffectFileBytes, &error)) {
    std::printf("force feedback: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  if (!ReadForceEffects(bytes.data(), bytes.size(), effects, error)) {
    std::printf("force feedback: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

}  // namespace platform::input
