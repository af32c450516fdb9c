// The resource manager: name normalisation (".." included), sharing by reference count, the unique flag,
// release, purge and reload, kinds never shared, the per-frame update and the device-reset pair.
#include "render/resources/resource_manager.h"

#include <cctype>
#include <filesystem>

#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "contentgen/movie_writer.h"
#include "contentgen/wav_writer.h"
#include "render/resources/image_test_support.h"

namespace {

using render::ImageResource;
using render::ResourceKind;
using render::ResourceManager;
using render_test::ReadTexel;

class ResourceManagerTest : public render_test::NullDeviceFixture {
 protected:
  void SetUp() override {
    NullDeviceFixture::SetUp();
    manager_ = std::make_unique<ResourceManager>(nullptr, folder_);
  }
  void TearDown() override {
    manager_.reset();
    NullDeviceFixture::TearDown();
  }
  std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  }
  int32_t Count(const ImageResource* image) {
    const render::ImageRecord* record = manager_->FindImageRecord(image);
    return record == nullptr ? -999 : record->refCount;
  }
  std::unique_ptr<ResourceManager> manager_;
};

TEST_F(ResourceManagerTest, NamesAreAbsoluteUpperCaseWithForwardSlashes) {
  EXPECT_EQ(manager_->NormaliseName("Font\\noire.png"), Upper(folder_) + "FONT/NOIRE.PNG");
  EXPECT_EQ(manager_->NormaliseName("font//NOIRE.png"), Upper(folder_) + "FONT/NOIRE.PNG");
  EXPECT_EQ(manager_->NormaliseName("C:\\Data\\x.png"), "C:/DATA/X.PNG") << "a drive name is not prefixed";
  EXPECT_EQ(manager_->NormaliseName("/abs/x.png"), "/ABS/X.PNG");
  EXPECT_EQ(manager_->NormaliseName(""), "");
  // Two cars reach the shared sounds through their own folders.
  EXPECT_EQ(manager_->NormaliseName("CARS\\ONE\\..\\..\\SOUNDS\\CARSOUNDS\\skid.wav"),
            manager_->NormaliseName("CARS/TWO/../../sounds/carsounds/SKID.WAV"));
  EXPECT_EQ(manager_->NormaliseName("CARS/./ONE/../x.png"), Upper(folder_) + "CARS/X.PNG");
  EXPECT_EQ(manager_->NormaliseName("/../../x"), "/X") << "nothing climbs above the root";
}

TEST_F(ResourceManagerTest, SameFileByAnySpellingIsSharedAndCounted) {
  Write("TEXTURES/road.png", Solid(4, 4, 0xFF404040));
  ImageResource* first = manager_->LoadImage(device_, "textures\\Road.png", false, 0, false, false);
  ImageResource* second = manager_->LoadImage(device_, "TEXTURES/ROAD.PNG", false, 0, false, false);
  ImageResource* third = manager_->LoadImage(device_, "CARS/A/../../textures//road.png", false, 0, false, false);
  EXPECT_TRUE(first->loaded);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, third);
  EXPECT_EQ(Count(first), 3);
  EXPECT_EQ(manager_->Count(ResourceKind::kImage), 1u);
  EXPECT_EQ(manager_->FindImageRecord(first)->givenName, "textures\\Road.png");
}

TEST_F(ResourceManagerTest, ColourKeyedAndPlainRequestsAreSharedOnlyByKeyFlag) {
  Write("sign.png", Solid(4, 4, 0x80FF00FF), true);
  ImageResource* plain = manager_->LoadImage(device_, "sign.png", false, 0, false, false);
  EXPECT_TRUE(plain->hasAlpha);
  ImageResource* plainAgain = manager_->LoadImage(device_, "sign.png", false, 0, false, false);
  EXPECT_EQ(plain, plainAgain) << "a PNG with its own alpha is shared by plain requests";
  ImageResource* keyed = manager_->LoadImage(device_, "sign.png", true, 0xFFFF00FF, false, false);
  EXPECT_NE(keyed, plain);
  EXPECT_TRUE(keyed->colourKeyed);
  EXPECT_EQ(manager_->LoadImage(device_, "sign.png", true, 0xFFFF00FF, false, false), keyed);
  EXPECT_EQ(Count(plain), 2);
  EXPECT_EQ(Count(keyed), 2);
}

TEST_F(ResourceManagerTest, UniqueLoadsMakeIndependentObjectsAndLaterLoadsFindTheFirst) {
  Write("a.png", Solid(4, 4, 0xFF000000));
  ImageResource* first = manager_->LoadImage(device_, "a.png", false, 0, false, false);
  ImageResource* unique = manager_->LoadImage(device_, "a.png", false, 0, true, false);
  EXPECT_NE(first, unique);
  EXPECT_EQ(manager_->LoadImage(device_, "a.png", false, 0, false, false), first);
  EXPECT_EQ(Count(unique), 1);
  ImageResource* pair = manager_->LoadImagePair(device_, "a.png", "a.png", false, false);
  ImageResource* pairUnique = manager_->LoadImagePair(device_, "a.png", "a.png", true, false);
  EXPECT_NE(pair, pairUnique);
  EXPECT_EQ(manager_->LoadImagePair(device_, "A.PNG", "a.png", false, false), pair);
  EXPECT_EQ(manager_->CreateImage(device_, "a.png", "a.png", "", "", "", false, false), pair);
  EXPECT_NE(manager_->CreateImage(device_, "a.png", "a.png", "a.png", "", "", false, false), pair);
}

TEST_F(ResourceManagerTest, ReleaseKeepsObjectsUntilPurgeThenReloadReadsTheFileAgain) {
  const std::string path = Write("grey.png", Solid(4, 4, 0xFF808080));
  ImageResource* image = manager_->LoadImage(device_, "grey.png", false, 0, false, false);
  ASSERT_NE(manager_->ReleaseImage(image), nullptr);
  EXPECT_EQ(Count(image), 0);
  EXPECT_EQ(manager_->LoadImage(device_, "grey.png", false, 0, false, false), image) << "reusable until a purge";
  manager_->ReleaseImage(image);
  manager_->PurgeUnused();
  EXPECT_EQ(manager_->Count(ResourceKind::kImage), 0u);
  EXPECT_EQ(manager_->FindImageRecord(image), nullptr);
  Write("grey.png", Solid(4, 4, 0xFF102030));
  ImageResource* reloaded = manager_->LoadImage(device_, "grey.png", false, 0, false, false);
  EXPECT_EQ(ReadTexel(reloaded->GetImageTexture(), 0, 0, 0), 0xFF102030u);
}

TEST_F(ResourceManagerTest, PurgeRemovesRunsOfUnreferencedRecordsAndSparesNegativeCounts) {
  std::vector<ImageResource*> images;
  for (int i = 0; i < 6; ++i) {
    images.push_back(manager_->LoadImage(device_, "img" + std::to_string(i) + ".png", false, 0, false, false));
  }
  EXPECT_FALSE(images[0]->loaded) << "missing files still give a registered object";
  for (int i : {1, 2, 3, 5}) manager_->ReleaseImage(images[i]);
  manager_->ReleaseImage(images[4]);
  manager_->ReleaseImage(images[4]);  // one release too many: −1
  manager_->PurgeUnused();
  EXPECT_EQ(manager_->Count(ResourceKind::kImage), 2u);
  EXPECT_NE(manager_->FindImageRecord(images[0]), nullptr);
  EXPECT_EQ(manager_->FindImageRecord(images[4])->refCount, -1);
  manager_->FreeAll();
  EXPECT_EQ(manager_->Count(ResourceKind::kImage), 0u);
  ImageResource stranger(manager_.get(), false);
  EXPECT_EQ(manager_->ReleaseImage(nullptr), nullptr);
  EXPECT_EQ(manager_->ReleaseImage(&stranger), nullptr) << "an image the manager never made is left alone";
}

TEST_F(ResourceManagerTest, FontsAndCubeFilesAreSharedByNameEvenWhenMissing) {
  ASSERT_TRUE(contentgen::WriteContentFile(folder_ + "FONT/noire.ini", {'6', '5', '=', '9', '\n'}));
  render::BitmapFont* font = manager_->LoadFont("font\\NOIRE.ini");
  EXPECT_EQ(font->widths[65], 9);
  EXPECT_EQ(manager_->LoadFont("FONT/noire.ini"), font);
  std::vector<contentgen::PictureData> faces(6, Solid(4, 4, 0xFF000000));
  ASSERT_TRUE(contentgen::WriteDds(folder_ + "CUBEMAPS/envmap.dds", platform::gfx::Format::X8R8G8B8, faces, 1));
  render::CubeMap* cube = manager_->LoadCubeMap(device_, "CUBEMAPS\\envmap.dds");
  EXPECT_TRUE(cube->ready);
  EXPECT_EQ(manager_->LoadCubeMap(device_, "cubemaps/ENVMAP.DDS"), cube);
  render::CubeMap* missing = manager_->LoadCubeMap(device_, "CUBEMAPS\\none.dds");
  EXPECT_FALSE(missing->ready);
  EXPECT_EQ(manager_->LoadCubeMap(device_, "CUBEMAPS/NONE.DDS"), missing) << "the unloaded object is shared too";
}

TEST_F(ResourceManagerTest, CubeRenderTargetsAndSharedKindsWithoutNamesAreNeverShared) {
  render::CubeMap* first = manager_->CreateCubeRenderTarget(device_, 128, render::kCubeRenderTarget);
  render::CubeMap* second = manager_->CreateCubeRenderTarget(device_, 128, render::kCubeRenderTarget);
  EXPECT_NE(first, second);
  EXPECT_TRUE(first->ready);
  EXPECT_EQ(manager_->FindCubeMapRecord(first)->name, "NONE");
  EXPECT_EQ(manager_->LoadCubeMap(device_, "NONE")->mode, render::kCubeFromFile) << "a load never finds a target";

  int made = 0, destroyed = 0;
  auto make = [&](const std::string&) {
    ++made;
    return std::shared_ptr<int>(new int(7), [&](int* value) {
      ++destroyed;
      delete value;
    });
  };
  int* a = manager_->LoadShared<int>(ResourceKind::kModel, "car.mdl", false, make);
  EXPECT_EQ(manager_->LoadShared<int>(ResourceKind::kModel, "CAR.MDL", false, make), a);
  EXPECT_NE(manager_->LoadShared<int>(ResourceKind::kModel, "car.mdl", true, make), a);
  EXPECT_EQ(made, 2);
  manager_->ReleaseShared(ResourceKind::kModel, a);
  manager_->ReleaseShared(ResourceKind::kModel, a);
  manager_->PurgeUnused();
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(manager_->Count(ResourceKind::kModel), 1u);
  manager_->FreeAll();
  EXPECT_EQ(destroyed, 2);
}

TEST_F(ResourceManagerTest, UpdateAdvancesSharedMoviesOncePerFrameAndAnimatesImages) {
  contentgen::MovieSpec spec;
  spec.width = 8;
  spec.height = 8;
  spec.frameCount = 10;
  spec.rate = 16;
  ASSERT_TRUE(contentgen::WriteTestPatternMovie(folder_ + "clip.avi", spec));
  ImageResource* a = manager_->CreateImage(device_, "clip.avi", "", "", "", "", false, false);
  ImageResource* b = manager_->CreateImage(device_, "clip.avi", "", "", "", "", true, false);
  ASSERT_NE(a, b);
  ASSERT_EQ(a->colourMovie, b->colourMovie);
  a->SetImageScroll(0, 1.0f, 0.0f);
  manager_->Update(0.0f);
  manager_->Update(1.0f / 16);
  EXPECT_EQ(a->colourMovie->currentFrame, 2u) << "two frames, not four";
  EXPECT_FLOAT_EQ(a->offsetU[0], 1.0f / 16);
  // Images give their movie back when they are purged; the movie then goes with them.
  manager_->ReleaseImage(a);
  manager_->ReleaseImage(b);
  manager_->PurgeUnused();
  EXPECT_EQ(manager_->Count(ResourceKind::kMovie), 0u);
}

TEST_F(ResourceManagerTest, DeviceResetKeepsEveryResourceUsable) {
  Write("road.png", Solid(8, 8, 0xFF203040));
  std::vector<contentgen::PictureData> faces(6, Solid(4, 4, 0xFF00FF00));
  ASSERT_TRUE(contentgen::WriteDds(folder_ + "env.dds", platform::gfx::Format::X8R8G8B8, faces, 1));
  ImageResource* road = manager_->CreateImage(device_, "road.png", "", "", "", "env.dds", false, false);
  ImageResource* mirror = manager_->LoadImage(device_, "mirror", false, 0, true, false);
  mirror->CreateRenderTarget(device_, 128, 64);
  render::CubeMap* dynamic = manager_->CreateCubeRenderTarget(device_, 64, render::kCubeRenderTarget);
  ASSERT_TRUE(road->hasCubeMap);
  ASSERT_TRUE(mirror->targetReady);

  for (int reset = 0; reset < 2; ++reset) {
    manager_->InvalidateDeviceObjects();
    EXPECT_EQ(device_->LiveDefaultPoolResources(), 0);
    platform::gfx::PresentParameters parameters = device_->Parameters();
    ASSERT_EQ(device_->Reset(parameters), platform::kOk);
    manager_->RestoreDeviceObjects(device_);
    EXPECT_TRUE(road->GetCubeMap()->ready);
    EXPECT_TRUE(dynamic->ready);
    EXPECT_TRUE(mirror->targetReady);
    EXPECT_EQ(ReadTexel(road->GetImageTexture(), 0, 1, 1), 0xFF203040u) << "managed textures are untouched";
    EXPECT_EQ(mirror->BeginRenderToTexture(), platform::kOk);
    EXPECT_EQ(mirror->EndRenderToTexture(), platform::kOk);
    EXPECT_EQ(dynamic->BeginCubeRender(), platform::kOk);
    EXPECT_EQ(dynamic->EndCubeRender(), platform::kOk);
  }
}

// A stand-in for a model with a shadow volume: records the reset calls it receives.
struct ShadowedModel {
  std::vector<std::string>* log;
  std::string name;
  void ReleaseShadow() { log->push_back("release " + name); }
  void RestoreShadow(platform::gfx::Device* device) { log->push_back(device != nullptr ? "restore " + name : "null"); }
};

TEST_F(ResourceManagerTest, ModelShadowsFollowTheDeviceResetModelsFirst) {
  std::vector<std::string> log;
  auto maker = [&](const std::string& label) {
    return [&log, label](const std::string&) { return std::make_shared<ShadowedModel>(ShadowedModel{&log, label}); };
  };
  manager_->LoadShared<ShadowedModel>(ResourceKind::kMeshModel, "car.mdl", false, maker("mesh"));
  manager_->LoadShared<ShadowedModel>(ResourceKind::kModel, "tree.mdl", false, maker("model"));
  manager_->InvalidateDeviceObjects();
  manager_->RestoreDeviceObjects(device_);
  EXPECT_EQ(log, (std::vector<std::string>{"release model", "release mesh", "restore model", "restore mesh"}));
}

// The manager as the game's sound-sample source: every spelling of a name (absolute ones too) is one record,
// released samples stay playable until the purge frees them and stops their channels, and a file that was
// missing is read once it appears.
TEST_F(ResourceManagerTest, IsTheSoundSampleSourceOfTheGame) {
  platform::audio::Mixer mixer(8000, 4);
  app::SoundSampleSource& source = *manager_;
  EXPECT_EQ(app::LoadSoundSample(source, "SOUNDS//tally.wav", false), platform::audio::kNoSample)
      << "no mixer, no sample";
  manager_->SetMixer(&mixer);
  EXPECT_EQ(&source.SampleMixer(), &mixer);

  EXPECT_EQ(app::LoadSoundSample(source, "SOUNDS//late.wav", false), platform::audio::kNoSample);
  EXPECT_EQ(manager_->Count(ResourceKind::kSample), 0u);
  ASSERT_TRUE(contentgen::WriteWav(folder_ + "SOUNDS/late.wav", {5}, 8000, 1));
  EXPECT_NE(app::LoadSoundSample(source, "SOUNDS//late.wav", false), platform::audio::kNoSample)
      << "tried again once the file exists";

  ASSERT_TRUE(contentgen::WriteWav(folder_ + "SOUNDS/tally.wav", {1, 2, 3}, 8000, 1));
  const app::SoundSample first = app::LoadSoundSample(source, "SOUNDS//tally.wav", true);
  ASSERT_NE(first, platform::audio::kNoSample);
  EXPECT_EQ(app::LoadSoundSample(source, "sounds\\TALLY.WAV", false), first) << "reused whatever the loop flag";
  EXPECT_EQ(app::LoadSoundSample(source, folder_ + "SOUNDS/tally.wav", true), first) << "absolute names match too";
  EXPECT_EQ(manager_->Count(ResourceKind::kSample), 2u);
  EXPECT_EQ(manager_->FindSampleRecord(first)->refCount, 3);

  const int channel = mixer.PlaySound(platform::audio::kFreeChannel, first);
  for (int release = 0; release < 3; ++release) app::ReleaseSoundSample(source, first);
  app::ReleaseSoundSample(source, platform::audio::kNoSample);
  app::ReleaseSoundSample(source, 9999);
  EXPECT_EQ(manager_->FindSampleRecord(first)->refCount, 0);
  EXPECT_TRUE(mixer.IsPlaying(channel)) << "a release alone frees nothing";
  manager_->PurgeUnreferenced();
  EXPECT_EQ(manager_->FindSampleRecord(first), nullptr);
  EXPECT_FALSE(mixer.IsPlaying(channel)) << "a freed sample's channels stop";
  EXPECT_EQ(mixer.PlaySound(platform::audio::kFreeChannel, first), platform::audio::kNoChannel);
  manager_->FreeAll();
}

}  // namespace
