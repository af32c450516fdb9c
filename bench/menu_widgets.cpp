// Menu widget costs on the null device: a label rebuilt with a new text of the same length, an unchanged SetText,
// and a frame of a screen's hover pass and drawing.
#include <benchmark/benchmark.h>

#include <string>

#include "null_device.h"
#include "frontend/menu_screen.h"
#include "frontend/text_label.h"
#include "render/resources/bitmap_font.h"

namespace {

render::BitmapFont MakeFont() {
  render::BitmapFont font;
  for (size_t i = 0; i < font.widths.size(); ++i) font.widths[i] = 8 + static_cast<int32_t>(i % 5);
  return font;
}

void LabelRewriteSameLength(benchmark::State& state) {
  bench::NullDevice null;
  render::BitmapFont font = MakeFont();
  frontend::TextLabel label(null.device, nullptr, &font, std::string(64, 'a'), 10, 10, 1, false, 2, 800, 600);
  std::string texts[2] = {std::string(64, 'b'), std::string(64, 'c')};
  size_t i = 0;
  for (auto _ : state) label.SetText(null.device, texts[++i % 2]);
}
BENCHMARK(LabelRewriteSameLength);

void LabelUnchangedText(benchmark::State& state) {
  bench::NullDevice null;
  render::BitmapFont font = MakeFont();
  const std::string text(64, 'a');
  frontend::TextLabel label(null.device, nullptr, &font, text, 10, 10, 1, false, 2, 800, 600);
  for (auto _ : state) label.SetText(null.device, text);
}
BENCHMARK(LabelUnchangedText);

void ScreenFrame(benchmark::State& state) {
  bench::NullDevice null;
  render::BitmapFont font = MakeFont();
  frontend::MenuScreen screen(frontend::ScreenServices{});
  const float rect[4] = {0, 0, 1, 1};
  for (int i = 0; i < 20; ++i) {
    frontend::MenuButton* button =
        screen.AddAtlasButton(null.device, nullptr, 10, 10.0f + 25 * i, 200, 20, rect, rect, 0, i);
    screen.AddButtonLabels(null.device, button, "Entry " + std::to_string(i), nullptr, &font, 190, 2, 1, true, 1);
  }
  for (auto _ : state) {
    screen.Update(frontend::ScreenWindow{}, 0.016f);
    screen.Render(null.device);
  }
}
BENCHMARK(ScreenFrame);

}  // namespace
