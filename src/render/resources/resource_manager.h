// The one owner of every shared resource: images, movies, font width tables, cube maps and sound samples (and,
// through LoadShared, any other kind), found again by normalised file name and kept by reference count until
// purged.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/sound_samples.h"
#include "geometry/collision_tree.h"
#include "platform/audio/mixer.h"
#include "platform/gfx/graphics.h"
#include "render/resources/bitmap_font.h"
#include "render/resources/cube_map.h"
#include "render/resources/image_resource.h"
#include "render/resources/movie_texture.h"

namespace app {
class Settings;
}

namespace render {

// The lists of the manager, in the order a purge or a free-all walks them.
enum class ResourceKind {
  kMeshModel, kScene, kCollisionTree, kAnimatedModel, kModel, kImage, kSample, kMovie, kCubeMap, kFont,
};
constexpr int kResourceKindCount = 10;

// Names of a cube render target's record, which no load by name can find.
constexpr char kUnnamedResource[] = "NONE";

// What a material makes of its pictures (colours, gloss, light value, animations, blending), as the exact bytes
// of its values: materials that share pictures share an image only when their looks are equal too, so one
// material's values never change how another draws.
class ImageLook {
 public:
  ImageLook& Add(float value) { return Append(&value, sizeof value); }
  ImageLook& Add(int32_t value) { return Append(&value, sizeof value); }
  ImageLook& Add(bool value) { return Add(static_cast<int32_t>(value)); }
  ImageLook& Add(const platform::Vec3& value) { return Add(value.x).Add(value.y).Add(value.z); }
  const std::string& Key() const { return key_; }

 private:
  ImageLook& Append(const void* bytes, size_t size) {
    key_.append(static_cast<const char*>(bytes), size);
    return *this;
  }
  std::string key_;
};

// What the records of every kind share: the count of handles given out (negative after extra releases).
struct ResourceRecord {
  int32_t refCount = 0;
};

struct ImageRecord : ResourceRecord {
  std::unique_ptr<ImageResource> object;
  std::string givenName;
  // The five normalised names of the image description: colour, alpha, layer, normal map, environment.
  std::array<std::string, 5> names;
  // The look of the material that asked for it (ImageLook); empty for pictures drawn as they are.
  std::string look;
};

struct MovieRecord : ResourceRecord {
  std::unique_ptr<MovieTexture> object;
  std::string name;
  std::string givenName;
  bool autoUpdate = false;
};

struct FontRecord : ResourceRecord {
  std::unique_ptr<BitmapFont> object;
  std::string name;
  std::string givenName;
};

struct CubeMapRecord : ResourceRecord {
  std::unique_ptr<CubeMap> object;
  std::string givenName;
  std::string name;
};

struct SampleRecord : ResourceRecord {
  platform::audio::SampleId object = platform::audio::kNoSample;
  std::string name;
};

// A record of a kind the manager holds without knowing its type (models, scenes, collision trees).
struct SharedRecord : ResourceRecord {
  std::shared_ptr<void> object;
  std::string name;
  // The device-reset pair of objects that hold device resources outside the managed pool (shadow volumes).
  std::function<void()> invalidate;
  std::function<void(platform::gfx::Device*)> restore;
};

class ResourceManager;

// Something that keeps device buffers in the default pool outside the manager's records (the one-draw batches of
// the effects). Once joined, the manager's device-reset pair releases its buffers before a reset and makes them
// again after it, with the manager's own resources; leaving (or being destroyed) takes it off the list.
class DeviceBufferHolder {
 public:
  virtual void ReleaseDeviceBuffers() = 0;
  virtual void RestoreDeviceBuffers(platform::gfx::Device* device) = 0;
  void JoinDeviceResets(ResourceManager* manager);
  void LeaveDeviceResets();
  ResourceManager* ResetManager() const { return resetManager_; }

 protected:
  DeviceBufferHolder() = default;
  ~DeviceBufferHolder() { LeaveDeviceResets(); }
  DeviceBufferHolder(const DeviceBufferHolder&) = delete;
  DeviceBufferHolder& operator=(const DeviceBufferHolder&) = delete;

 private:
  friend class ResourceManager;
  ResourceManager* resetManager_ = nullptr;
};

// The owner of the game's sound samples too: emitters and other players reach them through SoundSampleSource.
class ResourceManager : public app::SoundSampleSource {
 public:
  // baseFolder is put in front of every relative name; it carries its own trailing separator.
  ResourceManager(app::Settings* settings, std::string baseFolder);
  // Frees everything, referenced or not.
  ~ResourceManager() override;
  ResourceManager(const ResourceManager&) = delete;
  ResourceManager& operator=(const ResourceManager&) = delete;

  // The lookup form of a file name: made absolute under the base folder (app::MakeGameFolderPath: a name that
  // already lies under it stands, every other one joins it, whatever separators start it), upper-cased,
  // backslashes turned into '/', repeated '/' collapsed, "." and "dir/.." removed.
  std::string NormaliseName(const std::string& name) const;

  // Sound samples come from this mixer; without one LoadSoundSample returns kNoSample.
  void SetMixer(platform::audio::Mixer* mixer) { mixer_ = mixer; }
  // Whether the device takes DXT1 and DXT3 textures; the compressed flag of image loads is kept only then.
  void SetCompressionSupported(bool supported) { compressionSupported_ = supported; }

  // Loads return the object (also the release handle), registered even when its files could not be read.
  // An image of that name is reused (one more reference) unless unique is set, its colour keying differs or
  // it was made for another look (a material's values, ImageLook::Key; empty for plain pictures).
  ImageResource* LoadImage(platform::gfx::Device* device, const std::string& name, bool colourKeyed,
                           uint32_t colourKey, bool unique, bool compressedTextures, const std::string& look = {});
  ImageResource* LoadImagePair(platform::gfx::Device* device, const std::string& colour, const std::string& alpha,
                               bool unique, bool compressedTextures);
  // Reused when all five names and the look match and unique is clear.
  ImageResource* CreateImage(platform::gfx::Device* device, const std::string& colour, const std::string& alpha,
                             const std::string& layer, const std::string& normal, const std::string& environment,
                             bool unique, bool compressedTextures, const std::string& look = {});
  // The image pair load as the menus and the application call it (they pass unique 0, compressed 1).
  ImageResource* LoadTextureEx(platform::gfx::Device* device, const std::string& colour, const std::string& alpha,
                               int unique, int compressedTextures) {
    return LoadImagePair(device, colour, alpha, unique != 0, compressedTextures != 0);
  }
  MovieTexture* LoadMovie(platform::gfx::Device* device, const std::string& name, bool autoUpdate);
  BitmapFont* LoadFont(const std::string& name);
  CubeMap* LoadCubeMap(platform::gfx::Device* device, const std::string& name);
  // Always a new map (never found by name).
  CubeMap* CreateCubeRenderTarget(platform::gfx::Device* device, uint32_t size, uint32_t mode);
  // kNoSample, registering nothing, when the file cannot be loaded; the loop flag of a reuse is ignored.
  platform::audio::SampleId LoadSoundSample(const std::string& name, bool loop);

  // A track's collision tree, shared by name unless forceReload; a file that cannot be read gives a registered,
  // empty tree.
  geometry::CollisionTree* LoadCollisionTree(const std::string& name, bool useQuadtree, bool forceReload);
  SharedRecord* ReleaseCollisionTree(const geometry::CollisionTree* tree) {
    return ReleaseShared(ResourceKind::kCollisionTree, tree);
  }

  // Any other kind: reuse by normalised name unless unique, else make(normalised name) and register it.
  // make must not return null. A type with ReleaseShadow() and RestoreShadow(device) takes part in device
  // resets (models first, then mesh models, before cube maps and images).
  template <typename T>
  T* LoadShared(ResourceKind kind, const std::string& name, bool unique,
                const std::function<std::shared_ptr<T>(const std::string&)>& make) {
    const std::string normalised = NormaliseName(name);
    if (!unique) {
      for (SharedRecord* record : SharedList(kind)) {
        if (record->name == normalised) {
          ++record->refCount;
          return static_cast<T*>(record->object.get());
        }
      }
    }
    auto* record = new SharedRecord;
    SharedList(kind).push_back(record);
    std::shared_ptr<T> object = make(normalised);
    T* raw = object.get();
    record->object = std::move(object);
    record->refCount = 1;
    record->name = normalised;
    if constexpr (requires(T& t) { t.ReleaseShadow(); }) record->invalidate = [raw] { raw->ReleaseShadow(); };
    if constexpr (requires(T& t, platform::gfx::Device* device) { t.RestoreShadow(device); }) {
      record->restore = [raw](platform::gfx::Device* device) { raw->RestoreShadow(device); };
    }
    return raw;
  }

  // Releases drop one reference of the record holding the handle (the count may go negative); they return the
  // record, or null when no record holds it. Nothing is freed here.
  ImageRecord* ReleaseImage(const ImageResource* image);
  MovieRecord* ReleaseMovie(const MovieTexture* movie);
  FontRecord* ReleaseFont(const BitmapFont* font);
  CubeMapRecord* ReleaseCubeMap(const CubeMap* cubeMap);
  SampleRecord* ReleaseSoundSample(platform::audio::SampleId sample);

  // The sample services under their interface names: the same records, loads and releases as above.
  app::SoundSample AcquireSample(const std::string& name, bool loop) override { return LoadSoundSample(name, loop); }
  void DropSample(app::SoundSample sample) override { ReleaseSoundSample(sample); }
  // The mixer given to SetMixer, else the game's own (which then plays none of this manager's samples).
  platform::audio::Mixer& SampleMixer() override { return mixer_ != nullptr ? *mixer_ : platform::audio::SystemMixer(); }
  SharedRecord* ReleaseShared(ResourceKind kind, const void* object);

  // One more reference for an image held by a copied object; registers it when it has no record.
  ImageResource* AddImageReference(ImageResource* image);
  ImageResource* ReloadImageById(ImageResource* image) { return AddImageReference(image); }

  // The record of that kind whose object is the handle, searched in list order; null when none holds it. For
  // samples the handle is the sample id (the overload below); a pointer never finds a sample.
  ResourceRecord* FindRecordByHandle(ResourceKind kind, const void* handle);
  SampleRecord* FindRecordByHandle(platform::audio::SampleId sample) { return FindSampleRecord(sample); }
  // The same search with the record's own type.
  ImageRecord* FindImageRecord(const ImageResource* image);
  MovieRecord* FindMovieRecord(const MovieTexture* movie);
  FontRecord* FindFontRecord(const BitmapFont* font);
  CubeMapRecord* FindCubeMapRecord(const CubeMap* cubeMap);
  SampleRecord* FindSampleRecord(platform::audio::SampleId sample);
  // Models, scenes, collision trees and animated models.
  SharedRecord* FindSharedRecord(ResourceKind kind, const void* object);

  // Destroys every record whose count is exactly 0; the remaining records of a list may change order.
  void PurgeUnused();
  void PurgeUnreferenced() { PurgeUnused(); }
  void FreeAllResources() { PurgeUnused(); }
  // Destroys every record.
  void FreeAll();
  // Advances the auto-updated movies, then every image's animation channels (dt in seconds).
  void Update(float dt);
  // The device-reset pair: model and mesh-model shadows, cube maps, image render targets, then the buffers of
  // the holders that joined (DeviceBufferHolder).
  void InvalidateDeviceObjects();
  void RestoreDeviceObjects(platform::gfx::Device* device);
  size_t DeviceBufferHolderCount() const { return bufferHolders_.size(); }

  size_t Count(ResourceKind kind) const;
  app::Settings* GetSettings() const { return settings_; }
  const std::string& BaseFolder() const { return baseFolder_; }

 private:
  std::vector<SharedRecord*>& SharedList(ResourceKind kind);
  void DestroyRecords(ResourceKind kind, bool onlyUnreferenced);

  app::Settings* settings_;
  std::string baseFolder_;
  platform::audio::Mixer* mixer_ = nullptr;
  bool compressionSupported_ = false;
  std::vector<ImageRecord*> images_;
  std::vector<MovieRecord*> movies_;
  std::vector<FontRecord*> fonts_;
  std::vector<CubeMapRecord*> cubeMaps_;
  std::vector<SampleRecord*> samples_;
  std::array<std::vector<SharedRecord*>, kResourceKindCount> shared_;
  friend class DeviceBufferHolder;
  std::vector<DeviceBufferHolder*> bufferHolders_;
};

}  // namespace render
