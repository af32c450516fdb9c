// The resource manager: name normalisation (".." included) and sharing by reference count, release, purge and
// reload, the device-reset pair and the sound samples of the game.
#include "render/resources/resource_manager.h"

#include <cctype>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "contentgen/movie_writer.h"
#include "contentgen/wav_writer.h"
#include "geometry/models/animated_model.h"
#include "geometry/models/mesh_model.h"
#include "render/resources/image_test_support.h"
#include "render/scene/scene.h"

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

TEST_F(ResourceManagerTest, NamesAreAbsoluteUpperCaseWithForwardSlashesSoEverySpellingSharesOneImage) {
  EXPECT_EQ(manager_->NormaliseName("Font\\noire.png"), Upper(folder_) + "FONT/NOIRE.PNG");
  EXPECT_EQ(manager_->NormaliseName("font//NOIRE.png"), Upper(folder_) + "FONT/NOIRE.PNG");
  EXPECT_EQ(manager_->NormaliseName("C:\\Data\\x.png"), "C:/DATA/X.PNG") << "a drive name is not prefixed";
  // A name the manager made full comes back from its loaders (a model's pictures beside it) and stands; a name
  // starting with a folder of the machine's root is still the game folder's, on every machine alike.
  EXPECT_EQ(manager_->NormaliseName(folder_ + "Font\\noire.png"), Upper(folder_) + "FONT/NOIRE.PNG");
  EXPECT_EQ(manager_->NormaliseName(Upper(folder_) + "FONT/NOIRE.PNG"), Upper(folder_) + "FONT/NOIRE.PNG");
  EXPECT_EQ(manager_->NormaliseName("/tmp/x.png"), Upper(folder_) + "TMP/X.PNG");
  EXPECT_EQ(manager_->NormaliseName("/ETC/passwd"), Upper(folder_) + "ETC/PASSWD");
  // A separator first, either way, still names a file of the game folder.
  EXPECT_EQ(manager_->NormaliseName("\\Font\\noire.png"), Upper(folder_) + "FONT/NOIRE.PNG");
  EXPECT_EQ(manager_->NormaliseName("//font//noire.png"), Upper(folder_) + "FONT/NOIRE.PNG");
  EXPECT_EQ(manager_->NormaliseName("/FONT/noire.png"), Upper(folder_) + "FONT/NOIRE.PNG");
  EXPECT_EQ(manager_->NormaliseName(""), "");
  // Two cars reach the shared sounds through their own folders.
  EXPECT_EQ(manager_->NormaliseName("CARS\\ONE\\..\\..\\SOUNDS\\CARSOUNDS\\skid.wav"),
            manager_->NormaliseName("CARS/TWO/../../sounds/carsounds/SKID.WAV"));
  EXPECT_EQ(manager_->NormaliseName("CARS/./ONE/../x.png"), Upper(folder_) + "CARS/X.PNG");
  EXPECT_EQ(manager_->NormaliseName(folder_ + "../../../../../../../../../../../../../../../../x"),
            "/X")
      << "nothing climbs above the root";
  EXPECT_EQ(manager_->NormaliseName("\\..\\x.png"), manager_->NormaliseName("../x.png"))
      << "a separator first climbs no further than the name without it";

  // The same file by any spelling is one shared, counted image.
  Write("TEXTURES/road.png", Solid(4, 4, 0xFF404040));
  ImageResource* first = manager_->LoadImage(device_, "textures\\Road.png", false, 0, false, false);
  ImageResource* second = manager_->LoadImage(device_, "TEXTURES/ROAD.PNG", false, 0, false, false);
  ImageResource* third = manager_->LoadImage(device_, "CARS/A/../../textures//road.png", false, 0, false, false);
  ImageResource* fourth = manager_->LoadImage(device_, "\\TEXTURES\\road.png", false, 0, false, false);
  ImageResource* fifth = manager_->LoadImage(device_, folder_ + "textures/road.png", false, 0, false, false);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, third);
  EXPECT_EQ(first, fourth);
  EXPECT_EQ(first, fifth);
  EXPECT_EQ(Count(first), 5);
  EXPECT_EQ(manager_->Count(ResourceKind::kImage), 1u);
  EXPECT_EQ(manager_->FindImageRecord(first)->givenName, "textures\\Road.png");
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

// The search by handle answers for every kind from that kind's own list: the record that holds the object (told
// apart by its count: "one" is loaded twice, "two" once, where the kind shares by name), never a record of
// another kind, and nothing once the records are freed. Files that cannot be read still register their objects.
TEST_F(ResourceManagerTest, FindRecordByHandleAnswersForEveryKindFromItsOwnList) {
  using Load = std::function<const void*(const std::string&)>;
  ResourceManager& m = *manager_;
  platform::gfx::Device* d = device_;
  Write("one.png", Solid(2, 2, 0xFF000000));
  Write("two.png", Solid(2, 2, 0xFFFFFFFF));
  const struct {
    ResourceKind kind;
    Load load;
    bool sharedByName;
  } cases[] = {
      {ResourceKind::kImage, [&](const std::string& n) { return m.LoadImage(d, n + ".png", false, 0, false, false); }, true},
      {ResourceKind::kMovie, [&](const std::string& n) { return m.LoadMovie(d, n + ".avi", false); }, true},
      {ResourceKind::kFont, [&](const std::string& n) { return m.LoadFont(n + ".ini"); }, true},
      {ResourceKind::kCubeMap, [&](const std::string& n) { return m.LoadCubeMap(d, n + ".dds"); }, true},
      {ResourceKind::kMeshModel,
       [&](const std::string& n) { return geometry::LoadMeshModel(m, d, n + ".mdl", "", false, false); }, true},
      {ResourceKind::kScene,
       [&](const std::string& n) { return render::LoadScene(m, d, n + ".scn", "", false, false, false, false); }, true},
      {ResourceKind::kCollisionTree, [&](const std::string& n) { return m.LoadCollisionTree(n + ".col", true, false); },
       true},
      {ResourceKind::kModel, [&](const std::string& n) { return geometry::LoadModel(m, d, n + ".mod", ""); }, true},
      {ResourceKind::kAnimatedModel,
       [&](const std::string& n) { return geometry::LoadAnimatedModel(m, d, n + ".mod", "", ""); }, false},
  };
  std::vector<std::pair<ResourceKind, const void*>> found;
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    const void* one = c.load("one");
    const void* two = c.load("two");
    const void* oneAgain = c.load("one");
    EXPECT_EQ(one == oneAgain, c.sharedByName);
    const render::ResourceRecord* first = m.FindRecordByHandle(c.kind, one);
    const render::ResourceRecord* second = m.FindRecordByHandle(c.kind, two);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->refCount, c.sharedByName ? 2 : 1);
    EXPECT_EQ(second->refCount, 1);
    EXPECT_EQ(m.FindRecordByHandle(c.kind, nullptr), nullptr);
    EXPECT_EQ(m.FindRecordByHandle(c.kind, &c), nullptr) << "an object the manager never made";
    found.emplace_back(c.kind, two);
  }
  // An object is found only in its own kind's list.
  for (const auto& [kind, handle] : found) {
    for (const auto& c : cases) {
      if (c.kind == kind) continue;
      EXPECT_EQ(m.FindRecordByHandle(c.kind, handle), nullptr) << static_cast<int>(kind) << " in " << static_cast<int>(c.kind);
    }
  }
  // A sample is found by its id, and never through a pointer.
  platform::audio::Mixer mixer(8000, 4);
  m.SetMixer(&mixer);
  ASSERT_TRUE(contentgen::WriteWav(folder_ + "beep.wav", {1, 2}, 8000, 1));
  const platform::audio::SampleId sample = m.LoadSoundSample("beep.wav", false);
  ASSERT_NE(m.FindRecordByHandle(sample), nullptr);
  EXPECT_EQ(m.FindRecordByHandle(sample)->refCount, 1);
  EXPECT_EQ(m.FindRecordByHandle(sample + 1), nullptr);
  EXPECT_EQ(m.FindRecordByHandle(ResourceKind::kSample, found.front().second), nullptr);

  m.FreeAll();
  for (const auto& [kind, handle] : found) {
    EXPECT_EQ(m.FindRecordByHandle(kind, handle), nullptr) << "freed with its record: " << static_cast<int>(kind);
  }
  EXPECT_EQ(m.FindRecordByHandle(sample), nullptr);
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
