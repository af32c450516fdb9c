// Tests of drawing a MeshModel by material kind on the recording null device: section order and blend states,
// effect switches, material runs, overlays, the self-lit pass, groups, and the baseline left behind.
#include <gtest/gtest.h>

#include "geometry/models/material_states.h"
#include "geometry/models/mesh_model.h"
#include "model_test_support.h"
#include "render/resources/image_resource.h"

namespace {

using geometry::MaterialKind;
using model_test::Call;
using model_test::Material;
using model_test::R;
using model_test::S;
using platform::gfx::Blend;
using platform::gfx::RenderState;
using platform::gfx::TextureOp;
using platform::gfx::TextureStageState;
namespace arg = platform::gfx::texture_arg;

// The render and stage-0/1 states in force at each indexed draw of the log, replayed from the calls.
struct DrawState {
  std::map<uint32_t, uint32_t> render;
  std::map<std::pair<uint32_t, uint32_t>, uint32_t> stage;
  uint32_t Render(RenderState state) const { return render.count(uint32_t(state)) ? render.at(uint32_t(state)) : ~0u; }
  uint32_t Stage(uint32_t s, TextureStageState state) const {
    const auto key = std::make_pair(s, uint32_t(state));
    return stage.count(key) ? stage.at(key) : ~0u;
  }
};
std::vector<DrawState> StatesAtDraws(const std::vector<Call>& log) {
  std::vector<DrawState> draws;
  DrawState current;
  for (const Call& call : log) {
    if (call.kind == Call::Kind::Render) current.render[call.state] = call.value;
    if (call.kind == Call::Kind::Stage) current.stage[{call.stage, call.state}] = call.value;
    if (call.kind == Call::Kind::IndexedDraw) draws.push_back(current);
  }
  return draws;
}

class MeshModelDrawTest : public model_test::ModelFixture {
 protected:
  void SetUp() override {
    ModelFixture::SetUp();
    for (auto id : {app::SettingId::NORMALMAPPING, app::SettingId::CUBEMAPPING, app::SettingId::SPECULAR,
                    app::SettingId::SPECULARMAPPING, app::SettingId::REFLECTIONSPECULARMAPPING,
                    app::SettingId::ALPHAWRITE}) {
      settings_->SetInt(id, 1);
    }
    settings_->SetInt(app::SettingId::MIPFILTER, 2);
  }
  void Baseline() {
    geometry::SetBaselineStates(device_, settings_.get());
    for (uint32_t stage = 0; stage < 2; ++stage) {
      device_->SetTextureStageState(stage, TextureStageState::MipFilter, 2u);
      device_->SetTextureStageState(stage, TextureStageState::AlphaArg2, arg::kCurrent);
    }
    device_->SetTextureStageState(2, TextureStageState::ColorArg1, arg::kTexture);
    device_->SetTextureStageState(2, TextureStageState::ColorArg2, arg::kCurrent);
    device_->log.clear();
  }
  void Draw(geometry::MeshModel& model, platform::gfx::BaseTexture* environment = nullptr) {
    model.DrawByKind(device_, platform::gfx::IdentityMatrix(), environment, -1, {0, -1, 0});
  }
};

TEST_F(MeshModelDrawTest, KindsDrawInTheirOrderWithTheirSectionStates) {
  // Slots in a shuffled order: additive, multiply, alpha, plain (no images: kinds from the references).
  auto model = Load(model_test::BoxesFile({Material("add", 0, {{3, 0}}), Material("mul", 1, {{6, 0}}),
                                           Material("alpha", 2, {{0, 0}, {1, 0}}), Material("plain", 3, {{0, 0}})},
                                          {"a.png"}),
                    false);
  ASSERT_FALSE(model->Empty());
  Baseline();
  Draw(*model);
  const auto draws = StatesAtDraws(device_->log);
  ASSERT_EQ(draws.size(), 4u);
  EXPECT_EQ(draws[0].Render(RenderState::AlphaBlendEnable), ~0u);  // plain: the baseline untouched
  EXPECT_EQ(draws[1].Render(RenderState::SrcBlend), uint32_t(Blend::SrcAlpha));
  EXPECT_EQ(draws[1].Render(RenderState::DestBlend), uint32_t(Blend::InvSrcAlpha));
  EXPECT_EQ(draws[1].Render(RenderState::AlphaTestEnable), 1u);
  EXPECT_EQ(draws[1].Render(RenderState::AlphaRef), 50u);
  EXPECT_EQ(draws[2].Render(RenderState::SrcBlend), uint32_t(Blend::Zero));
  EXPECT_EQ(draws[2].Render(RenderState::DestBlend), uint32_t(Blend::SrcColor));
  EXPECT_EQ(draws[2].Render(RenderState::ZWriteEnable), 0u);
  EXPECT_EQ(draws[3].Render(RenderState::SrcBlend), uint32_t(Blend::One));
  EXPECT_EQ(draws[3].Render(RenderState::DestBlend), uint32_t(Blend::One));
  // The start indices tell which batch each draw was: plain, alpha, multiply, additive.
  const auto& batches = model->meshData->Batches();
  std::vector<uint32_t> starts;
  for (const Call& call : device_->log)
    if (call.kind == Call::Kind::IndexedDraw) starts.push_back(call.state);
  EXPECT_EQ(starts, (std::vector<uint32_t>{batches[3]->startIndex, batches[2]->startIndex, batches[1]->startIndex,
                                           batches[0]->startIndex}));
}

TEST_F(MeshModelDrawTest, EveryKindWithImagesLeavesTheBaselineBehind) {
  for (const char* name : {"BASE.PNG", "MASK.PNG", "ENV.PNG", "BUMP.PNG", "OVER.PNG"}) WritePicture(name);
  WritePicture("CLEAR.PNG", 0x80FFFFFF, true);
  std::vector<contentgen::MdlMaterial> materials = {
      Material("plain", 0, {{0, 0}, {3, 4}}),       Material("alpha", 1, {{0, 5}}),
      Material("last", 2, {{0, 0}, {1, 5}}),         Material("mask", 3, {{0, 0}, {2, 1}}),
      Material("add", 4, {{3, 4}}),                  Material("mul", 5, {{6, 4}}),
      Material("bump", 6, {{0, 0}, {4, 3}}),         Material("env", 7, {{0, 0}, {2, 1}, {5, 2}}),
      Material("envlate", 8, {{0, 0}, {2, 1}, {5, 2}, {1, 5}}), Material("masklate", 9, {{0, 0}, {2, 1}}),
      Material("decal", 10, {{0, 0}, {6, 4}}),
  };
  materials[2].variantA = 1;
  materials[8].variantA = 1;
  materials[9].variantA = 1;
  materials[6].animation[0].hasScroll = true;
  materials[6].animation[0].scrollU = 1;
  materials[0].lightValue = 100;
  auto model = Load(model_test::BoxesFile(materials, {"base.png", "mask.png", "env.png", "bump.png", "over.png",
                                                      "clear.png"}));
  ASSERT_FALSE(model->Empty());
  for (MaterialKind kind : {MaterialKind::Plain, MaterialKind::Alpha, MaterialKind::AlphaLast,
                            MaterialKind::SharedReflection, MaterialKind::Additive, MaterialKind::Multiply,
                            MaterialKind::NormalMapped, MaterialKind::MapReflection,
                            MaterialKind::MapReflectionBlended, MaterialKind::SharedReflectionBlended}) {
    EXPECT_FALSE(model->kindLists[geometry::KindIndex(kind)].empty()) << geometry::kMaterialKindNames[int(kind)];
  }
  manager_->Update(0.5f);  // the scroll starts moving
  Baseline();
  const auto renderBefore = device_->State().renderStates;
  const auto stagesBefore = device_->State().stageStates;
  Draw(*model);
  model->DrawPass(device_, platform::gfx::IdentityMatrix());
  auto renderAfter = device_->State().renderStates;
  // The texture factor and the alpha reference and function are not part of the baseline: they only matter
  // while normal mapping or the alpha test is on.
  for (RenderState free : {RenderState::TextureFactor, RenderState::AlphaRef, RenderState::AlphaFunc}) {
    renderAfter[uint32_t(free)] = renderBefore[uint32_t(free)];
  }
  for (size_t i = 0; i < renderBefore.size(); ++i) EXPECT_EQ(renderAfter[i], renderBefore[i]) << "render state " << i;
  for (uint32_t stage = 0; stage < 3; ++stage)
    for (size_t i = 0; i < stagesBefore[stage].size(); ++i)
      EXPECT_EQ(device_->State().stageStates[stage][i], stagesBefore[stage][i]) << "stage " << stage << " state " << i;
  EXPECT_GT(device_->Count(Call::Kind::IndexedDraw), materials.size());
  // The normal-mapped material scrolls stage 1 and gets its specular pass.
  EXPECT_NE(device_->Find(S(1, TextureStageState::TextureTransformFlags, 2u)), std::string::npos);
  EXPECT_NE(device_->Find(S(0, TextureStageState::ColorOp, TextureOp::DotProduct3)), std::string::npos);
}

TEST_F(MeshModelDrawTest, EffectSwitchesChooseTheSetUps) {
  WritePicture("BASE.PNG");
  WritePicture("BUMP.PNG");
  WritePicture("MASK.PNG");
  contentgen::MdlMaterial bump = Material("bump", 0, {{0, 0}, {4, 1}});
  bump.animation[0].hasScroll = true;
  auto model = Load(model_test::BoxesFile({bump, Material("mask", 1, {{0, 0}, {2, 2}})},
                                          {"base.png", "bump.png", "mask.png"}));
  ASSERT_FALSE(model->Empty());
  const Call reflection = S(1, TextureStageState::TexCoordIndex, platform::gfx::texcoord_index::kCameraSpaceReflectionVector);
  const Call specularMask = S(1, TextureStageState::ColorArg2, arg::kSpecular);
  const Call dot = S(0, TextureStageState::ColorOp, TextureOp::DotProduct3);

  Baseline();
  Draw(*model);  // no environment cube: kind 4 takes the specular mask
  EXPECT_EQ(device_->Find(reflection), std::string::npos);
  EXPECT_NE(device_->Find(specularMask), std::string::npos);
  EXPECT_NE(device_->Find(dot), std::string::npos);
  EXPECT_NE(device_->Find(S(1, TextureStageState::TextureTransformFlags, 2u)), std::string::npos);

  platform::gfx::Texture* cube = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, platform::gfx::Format::A8R8G8B8, platform::gfx::Pool::Managed, &cube),
            platform::kOk);
  Baseline();
  Draw(*model, cube);
  EXPECT_NE(device_->Find(reflection), std::string::npos);

  settings_->SetInt(app::SettingId::CUBEMAPPING, 0);
  settings_->SetInt(app::SettingId::NORMALMAPPING, 0);
  Baseline();
  Draw(*model, cube);
  EXPECT_EQ(device_->Find(reflection), std::string::npos);
  EXPECT_EQ(device_->Find(dot), std::string::npos);
  EXPECT_NE(device_->Find(S(0, TextureStageState::TextureTransformFlags, 2u)), std::string::npos);
  cube->Release();
}

TEST_F(MeshModelDrawTest, BatchesSharingAnImageSetTheMaterialOnce) {
  WritePicture("BASE.PNG");
  auto model = Load(model_test::BoxesFile({Material("a", 0, {{0, 0}}), Material("b", 1, {{0, 0}})}, {"base.png"}));
  ASSERT_FALSE(model->Empty());
  render::ImageResource* image = model->GetMaterialImage(0);
  model->SetPartMaterial(1, image);
  EXPECT_EQ(model->GetMaterialImage(1), image);
  Baseline();
  Draw(*model);
  EXPECT_EQ(device_->Count(Call::Kind::Material), 1u);
  EXPECT_EQ(device_->Count(Call::Kind::IndexedDraw), 2u);

  // With the two images different, each run sets its own material.
  render::ImageResource* other = manager_->CreateImage(device_, folder_ + "BASE.PNG", "", "", "", "", true, true);
  model->SetPartMaterial(1, other);
  manager_->ReleaseImage(other);
  Baseline();
  Draw(*model);
  EXPECT_EQ(device_->Count(Call::Kind::Material), 2u);
}

TEST_F(MeshModelDrawTest, EmptyTransparentListsSwitchNoAlphaTestOnYetTheRestoreSwitchesItOff) {
  auto model = Load(model_test::BoxesFile({Material("plain", 0)}), false);
  Baseline();
  Draw(*model);
  EXPECT_EQ(device_->Find(R(RenderState::AlphaTestEnable, true)), std::string::npos);
  EXPECT_NE(device_->Find(R(RenderState::AlphaTestEnable, false)), std::string::npos);
  settings_->SetInt(app::SettingId::ALPHAWRITE, 0);
  Baseline();
  Draw(*model);
  EXPECT_EQ(device_->Find(R(RenderState::AlphaTestEnable, false)), std::string::npos);
}

TEST_F(MeshModelDrawTest, SelfLitPassDrawsDepthThenOnlyTheLeadingSelfLitBatches) {
  WritePicture("BASE.PNG");
  WritePicture("GLOW.PNG");
  contentgen::MdlMaterial dim = Material("dim", 0, {{0, 0}});
  dim.lightValue = 50;
  contentgen::MdlMaterial glow = Material("glow", 1, {{0, 1}});
  glow.lightValue = 100;
  auto model = Load(model_test::BoxesFile({dim, glow}, {"base.png", "glow.png"}));
  ASSERT_FALSE(model->Empty());
  Baseline();
  model->DrawPass(device_, platform::gfx::IdentityMatrix());
  // Both batches write depth; the lit walk stops at the first (lightValue 50), so nothing is drawn lit.
  EXPECT_EQ(device_->Count(Call::Kind::IndexedDraw), 2u);
  EXPECT_EQ(device_->Count(Call::Kind::Material), 0u);

  // With the glowing material first the walk draws it lit, then stops at the dim one.
  auto swapped = Load(model_test::BoxesFile({Material("glow", 0, {{0, 1}}), Material("dim", 1, {{0, 0}})},
                                            {"base.png", "glow.png"}),
                      true, false, "swapped.mdl");
  swapped->meshData->Batches()[0]->image->lightValue = 100;
  swapped->meshData->Batches()[1]->image->lightValue = 50;
  Baseline();
  swapped->DrawPass(device_, platform::gfx::IdentityMatrix());
  EXPECT_EQ(device_->Count(Call::Kind::IndexedDraw), 3u);
  EXPECT_EQ(device_->Count(Call::Kind::Material), 1u);

  // A first batch that writes no depth keeps its whole list out of the depth pass.
  swapped->meshData->Batches()[0]->image->depthWrite = false;
  Baseline();
  swapped->DrawPass(device_, platform::gfx::IdentityMatrix());
  EXPECT_EQ(device_->Count(Call::Kind::IndexedDraw), 0u);
}

TEST_F(MeshModelDrawTest, GroupsRestrictTheDrawnBatches) {
  auto model = Load(model_test::BoxesFile({Material("a", 0), Material("b", 1)}), false);
  model->materialGroups[1] = 1;
  Baseline();
  model->DrawByKind(device_, platform::gfx::IdentityMatrix(), nullptr, 1, {0, 1, 0});
  ASSERT_EQ(device_->Count(Call::Kind::IndexedDraw), 1u);
  EXPECT_NE(device_->Find({Call::Kind::IndexedDraw, 0, model->meshData->Batches()[1]->startIndex, 12}),
            std::string::npos);
  Baseline();
  model->DrawByKind(device_, platform::gfx::IdentityMatrix(), nullptr, -1, {0, 1, 0});
  EXPECT_EQ(device_->Count(Call::Kind::IndexedDraw), 2u);
}

TEST(MaterialStates, LightVectorPacksIntoTheTextureFactor) {
  EXPECT_EQ(geometry::PackNormalColor({0, 0, 2}), 0xFF8080FFu);
  EXPECT_EQ(geometry::PackNormalColor({-1, 0, 0}), 0xFF018080u);
  EXPECT_EQ(geometry::PackNormalColor({0, 1, 0}), 0xFF80FF80u);
}

TEST_F(MeshModelDrawTest, ReflectionSetUpFollowsKindCubeMappingAndEnvironment) {
  using geometry::ReflectionSetup;
  app::Settings& settings = *settings_;
  platform::gfx::Texture* environment = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, platform::gfx::Format::A8R8G8B8, platform::gfx::Pool::Managed,
                                   &environment),
            platform::kOk);
  EXPECT_EQ(ChooseReflectionSetup(&settings, MaterialKind::SharedReflection, environment), ReflectionSetup::Reflection);
  EXPECT_EQ(ChooseReflectionSetup(&settings, MaterialKind::SharedReflection, nullptr), ReflectionSetup::SpecularMask);
  EXPECT_EQ(ChooseReflectionSetup(&settings, MaterialKind::CubeReflectionBlended, nullptr), ReflectionSetup::Reflection);
  EXPECT_EQ(ChooseReflectionSetup(&settings, MaterialKind::MapReflection, nullptr), ReflectionSetup::MapReflection);
  EXPECT_EQ(ChooseReflectionSetup(&settings, MaterialKind::Plain, environment), ReflectionSetup::None);
  settings.SetInt(app::SettingId::CUBEMAPPING, 0);
  EXPECT_EQ(ChooseReflectionSetup(&settings, MaterialKind::CubeReflection, environment), ReflectionSetup::SpecularMask);
  EXPECT_EQ(ChooseReflectionSetup(&settings, MaterialKind::MapReflectionBlended, environment), ReflectionSetup::None);
  environment->Release();
}

}  // namespace
