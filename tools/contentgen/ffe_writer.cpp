// Effect-file writer and the sample effect lists.
#include "contentgen/ffe_writer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/input/ffe_reader.h"

namespace contentgen {
namespace {

using platform::input::ForceCondition;
using platform::input::ForceEffect;
using platform::input::ForceEffectKind;

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
  out.insert(out.end(), id, id + 4);
  Put32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1) out.push_back(0);
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> out;
  for (uint32_t value : values) Put32(out, value);
  return out;
}

std::vector<uint8_t> EncodeEffect(const ForceEffect& effect) {
  std::vector<uint8_t> list = {'e', 'f', 'c', 't'};
  std::vector<uint8_t> name(effect.name.begin(), effect.name.end());
  name.push_back(0);
  PutChunk(list, "name", name);
  const platform::input::Guid guid = platform::input::ForceEffectGuid(effect.kind);
  PutChunk(list, "id  ", std::vector<uint8_t>(guid.begin(), guid.end()));
  PutChunk(list, "parm", Words({effect.flags, effect.duration, effect.samplePeriod, effect.gain, effect.triggerButton,
                                effect.triggerRepeatInterval, static_cast<uint32_t>(effect.axes.size()), effect.startDelay}));
  std::vector<uint8_t> axes, directions;
  for (size_t i = 0; i < effect.axes.size(); ++i) {
    Put32(axes, effect.axes[i]);
    Put32(directions, static_cast<uint32_t>(i < effect.directions.size() ? effect.directions[i] : 0));
  }
  PutChunk(list, "axes", axes);
  PutChunk(list, "dirn", directions);
  if (effect.hasEnvelope) {
    const auto& e = effect.envelope;
    PutChunk(list, "envl", Words({e.attackLevel, e.attackTime, e.fadeLevel, e.fadeTime}));
  }
  std::vector<uint8_t> specific;
  if (effect.kind == ForceEffectKind::kConstant) {
    Put32(specific, static_cast<uint32_t>(effect.magnitude));
  } else if (effect.kind == ForceEffectKind::kRamp) {
    specific = Words({static_cast<uint32_t>(effect.rampStart), static_cast<uint32_t>(effect.rampEnd)});
  } else if (effect.IsPeriodic()) {
    specific = Words({effect.periodicMagnitude, static_cast<uint32_t>(effect.periodicOffset), effect.phase, effect.period});
  } else {
    for (const ForceCondition& c : effect.conditions) {
      Put32(specific, static_cast<uint32_t>(c.offset));
      Put32(specific, static_cast<uint32_t>(c.positiveCoefficient));
      Put32(specific, static_cast<uint32_t>(c.negativeCoefficient));
      Put32(specific, c.positiveSaturation);
      Put32(specific, c.negativeSaturation);
      Put32(specific, static_cast<uint32_t>(c.deadBand));
    }
  }
  PutChunk(list, "tspc", specific);
  return list;
}

// The x axis of a joystick (its data offset), the only axis the effects push.
constexpr uint32_t kXAxis = 0;

ForceEffect Base(const char* name, ForceEffectKind kind, uint32_t durationMicroseconds) {
  ForceEffect effect;
  effect.name = name;
  effect.kind = kind;
  effect.duration = durationMicroseconds;
  effect.axes = {kXAxis};
  effect.directions = {1};
  return effect;
}

ForceEffect Periodic(const char* name, ForceEffectKind kind, uint32_t magnitude, uint32_t periodMs) {
  ForceEffect effect = Base(name, kind, platform::input::kInfiniteDuration);
  effect.periodicMagnitude = magnitude;
  effect.period = periodMs * 1000;
  return effect;
}

ForceEffect Condition(const char* name, ForceEffectKind kind, int32_t coefficient, uint32_t saturation) {
  ForceEffect effect = Base(name, kind, platform::input::kInfiniteDuration);
  effect.conditions = {{0, coefficient, coefficient, saturation, saturation, 100}};
  return effect;
}

}  // namespace

std::vector<uint8_t> EncodeForceEffects(const std::vector<ForceEffect>& effects) {
  std::vector<uint8_t> body = {'F', 'O', 'R', 'C'};
  for (const ForceEffect& effect : effects) PutChunk(body, "LIST", EncodeEffect(effect));
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
  Put32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<ForceEffect> GameForceEffects(bool wheel) {
  const uint32_t strength = wheel ? 8000 : 5000;
  ForceEffect jolt = Base("Impact jolt", ForceEffectKind::kConstant, 150000);
  jolt.magnitude = static_cast<int32_t>(strength + 2000);
  jolt.hasEnvelope = true;
  jolt.envelope = {10000, 0, 0, 100000};
  ForceEffect slide = Base("Skid slide", ForceEffectKind::kRamp, 400000);
  slide.rampStart = static_cast<int32_t>(strength);
  slide.rampEnd = 0;
  std::vector<ForceEffect> effects = {
      Periodic("Pavement", ForceEffectKind::kSine, strength / 10, 40),
      Periodic("Dirt", ForceEffectKind::kTriangle, strength / 4, 70),
      Periodic("Rough pavement", ForceEffectKind::kSquare, strength / 5, 50),
      Periodic("Grass", ForceEffectKind::kSine, strength / 6, 90),
      jolt,
      Periodic("Cobble", ForceEffectKind::kSquare, strength / 3, 60),
      Periodic("Gravel", ForceEffectKind::kSawtoothUp, strength / 4, 45),
      Periodic("Rough dirt", ForceEffectKind::kTriangle, strength / 3, 80),
      Periodic("Rocky", ForceEffectKind::kSquare, strength / 2, 100),
      Condition("Water", ForceEffectKind::kDamper, static_cast<int32_t>(strength / 2), strength),
      Condition("Snow", ForceEffectKind::kFriction, static_cast<int32_t>(strength / 3), strength),
      Periodic("Electric", ForceEffectKind::kSawtoothDown, strength / 3, 20),
      Periodic("Engine rumble", ForceEffectKind::kSine, strength / 8, 25),
      Condition("Skid", ForceEffectKind::kInertia, static_cast<int32_t>(strength / 4), strength),
      slide,
  };
  if (wheel) effects.push_back(Condition("Centring spring", ForceEffectKind::kSpring, 6000, 10000));
  return effects;
}

bool WriteForceEffectFiles(const std::string& gameFolder) {
  const std::string root = gameFolder.empty() || gameFolder.back() == '/' ? gameFolder : gameFolder + "/";
  std::error_code error;
  std::filesystem::create_directories(root + "FF", error);
  for (bool wheel : {false, true}) {
    const std::string path = root + (wheel ? "FF/wheeleffects.ffe" : "FF/effects.ffe");
    const std::vector<uint8_t> bytes = EncodeForceEffects(GameForceEffects(wheel));
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
      std::fprintf(stderr, "contentgen: cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace contentgen
