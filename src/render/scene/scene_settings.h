// Detail settings as the scene code reads them at each draw; a scene without settings draws with every detail
// option off.
#pragma once

#include "app/settings.h"

namespace render {

inline int SceneSetting(const app::Settings* settings, app::SettingId id) {
  return settings != nullptr ? settings->GetInt(id) : 0;
}

inline float SceneFloatSetting(const app::Settings* settings, app::FloatSettingId id, float fallback) {
  return settings != nullptr ? settings->GetFloat(id) : fallback;
}

}  // namespace render
