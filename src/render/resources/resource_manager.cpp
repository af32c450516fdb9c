// Resource records: name normalisation, reuse by name, reference counts, purge by swapping the last record into
// the freed slot, and the per-frame and device-reset passes over what is held.
#include "render/resources/resource_manager.h"

#include <algorithm>
#include <cctype>

#include "app/paths.h"
#include "platform/file_system.h"

namespace render {

namespace {

template <typename Record, typename Handle>
Record* FindByHandle(std::vector<Record*>& list, Handle handle) {
  for (Record* record : list) {
    if constexpr (std::is_pointer_v<Handle>) {
      if (record->object.get() == handle) return record;
    } else {
      if (record->object == handle) return record;
    }
  }
  return nullptr;
}

template <typename Record, typename Handle>
Record* Release(std::vector<Record*>& list, Handle handle) {
  Record* record = FindByHandle(list, handle);
  if (record != nullptr) --record->refCount;
  return record;
}

// Removes records (all, or those with a count of exactly 0): the last record moves into the freed slot and the
// same slot is examined again. destroy frees what the record holds.
template <typename Record, typename Destroy>
void Sweep(std::vector<Record*>& list, bool onlyUnreferenced, Destroy destroy) {
  size_t index = 0;
  while (index < list.size()) {
    Record* record = list[index];
    if (onlyUnreferenced && record->refCount != 0) {
      ++index;
      continue;
    }
    list[index] = list.back();
    list.pop_back();
    destroy(record);
    delete record;
  }
}

}  // namespace

ResourceManager::ResourceManager(app::Settings* settings, std::string baseFolder)
    : settings_(settings), baseFolder_(std::move(baseFolder)) {}

ResourceManager::~ResourceManager() {
  // A holder that outlives the manager keeps its buffers and no longer reaches the manager.
  for (DeviceBufferHolder* holder : bufferHolders_) holder->resetManager_ = nullptr;
  bufferHolders_.clear();
  FreeAll();
}

std::string ResourceManager::NormaliseName(const std::string& name) const {
  if (name.empty()) return name;
  // Joined before any backslash turns into '/', so a data file's "\CARS\..." stays under the game folder; the
  // full names this manager hands its loaders come back with the pictures beside them and stand.
  std::string path = app::MakeGameFolderPath(baseFolder_, name);
  for (char& c : path) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c == '\\') c = '/';
  }
  // Components, with "." dropped and ".." taking back the one before it, so two relative spellings of one file
  // (two cars reaching a shared folder) meet on one name.
  const bool absolute = path[0] == '/';
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == ".." && !parts.empty() && parts.back() != ".." && parts.back().find(':') == std::string::npos) {
      parts.pop_back();
      continue;
    }
    if (part == ".." && absolute && parts.empty()) continue;  // above the root is the root
    parts.push_back(part);
  }
  std::string result = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += '/';
    result += parts[i];
  }
  return result;
}

ImageResource* ResourceManager::LoadImage(platform::gfx::Device* device, const std::string& name, bool colourKeyed,
                                          uint32_t colourKey, bool unique, bool compressedTextures,
                                          const std::string& look) {
  const std::string normalised = NormaliseName(name);
  if (!unique) {
    for (ImageRecord* record : images_) {
      // The colour-keyed flag decides reuse, not the alpha flag: a plain PNG with its own alpha is shared by
      // every plain request, and a keyed request never gets a picture without its key applied.
      if (record->names[0] == normalised && record->names[1].empty() && record->names[2].empty() &&
          record->names[3].empty() && record->names[4].empty() && record->object->colourKeyed == colourKeyed &&
          record->look == look) {
        ++record->refCount;
        return record->object.get();
      }
    }
  }
  auto* record = new ImageRecord;
  images_.push_back(record);
  record->object = std::make_unique<ImageResource>(this, compressedTextures && compressionSupported_);
  record->object->LoadFromFile(device, normalised, colourKeyed, colourKey);
  record->refCount = 1;
  record->givenName = name;
  record->names[0] = normalised;
  record->look = look;
  return record->object.get();
}

ImageResource* ResourceManager::LoadImagePair(platform::gfx::Device* device, const std::string& colour,
                                              const std::string& alpha, bool unique, bool compressedTextures) {
  return CreateImage(device, colour, alpha, "", "", "", unique, compressedTextures);
}

ImageResource* ResourceManager::CreateImage(platform::gfx::Device* device, const std::string& colour,
                                            const std::string& alpha, const std::string& layer,
                                            const std::string& normal, const std::string& environment, bool unique,
                                            bool compressedTextures, const std::string& look) {
  const std::array<std::string, 5> names = {NormaliseName(colour), NormaliseName(alpha), NormaliseName(layer),
                                            NormaliseName(normal), NormaliseName(environment)};
  if (!unique) {
    for (ImageRecord* record : images_) {
      if (record->names == names && !record->object->colourKeyed && record->look == look) {
        ++record->refCount;
        return record->object.get();
      }
    }
  }
  auto* record = new ImageRecord;
  images_.push_back(record);
  record->object = std::make_unique<ImageResource>(this, compressedTextures && compressionSupported_);
  ImageResource& image = *record->object;
  if (!names[1].empty()) {
    image.LoadWithAlpha(device, names[0], names[1]);
  } else if (!names[0].empty()) {
    image.LoadFromFile(device, names[0], false, kDefaultColourKey);
  }
  if (!names[2].empty()) image.LoadLayer(device, names[2]);
  if (!names[3].empty()) image.LoadNormalMap(device, names[3]);
  if (!names[4].empty()) image.LoadEnvironmentMap(device, names[4]);
  record->refCount = 1;
  record->givenName = colour;
  record->names = names;
  record->look = look;
  return record->object.get();
}

MovieTexture* ResourceManager::LoadMovie(platform::gfx::Device* device, const std::string& name, bool autoUpdate) {
  const std::string normalised = NormaliseName(name);
  for (MovieRecord* record : movies_) {
    if (record->name == normalised) {
      ++record->refCount;
      return record->object.get();
    }
  }
  auto* record = new MovieRecord;
  movies_.push_back(record);
  record->object = std::make_unique<MovieTexture>(normalised, device, true);
  record->refCount = 1;
  record->name = normalised;
  record->givenName = name;
  record->autoUpdate = autoUpdate;
  return record->object.get();
}

BitmapFont* ResourceManager::LoadFont(const std::string& name) {
  const std::string normalised = NormaliseName(name);
  for (FontRecord* record : fonts_) {
    if (record->name == normalised) {
      ++record->refCount;
      return record->object.get();
    }
  }
  auto* record = new FontRecord;
  fonts_.push_back(record);
  record->object = std::make_unique<BitmapFont>();
  record->object->LoadIni(normalised);
  record->refCount = 1;
  record->name = normalised;
  record->givenName = name;
  return record->object.get();
}

CubeMap* ResourceManager::LoadCubeMap(platform::gfx::Device* device, const std::string& name) {
  const std::string normalised = NormaliseName(name);
  for (CubeMapRecord* record : cubeMaps_) {
    if (record->name == normalised) {
      ++record->refCount;
      return record->object.get();
    }
  }
  auto* record = new CubeMapRecord;
  cubeMaps_.push_back(record);
  record->object = std::make_unique<CubeMap>();
  record->object->LoadFromFile(device, normalised);
  record->refCount = 1;
  record->givenName = name;
  record->name = normalised;
  return record->object.get();
}

CubeMap* ResourceManager::CreateCubeRenderTarget(platform::gfx::Device* device, uint32_t size, uint32_t mode) {
  auto* record = new CubeMapRecord;
  cubeMaps_.push_back(record);
  record->object = std::make_unique<CubeMap>();
  record->object->Create(device, size, mode);
  record->refCount = 1;
  record->givenName = kUnnamedResource;
  record->name = kUnnamedResource;
  return record->object.get();
}

platform::audio::SampleId ResourceManager::LoadSoundSample(const std::string& name, bool loop) {
  const std::string normalised = NormaliseName(name);
  for (SampleRecord* record : samples_) {
    if (record->name == normalised) {
      ++record->refCount;
      return record->object;
    }
  }
  if (mixer_ == nullptr) return platform::audio::kNoSample;
  const platform::audio::SampleId sample = mixer_->LoadSample(platform::ResolveDataPath(normalised), loop);
  if (sample == platform::audio::kNoSample) return sample;
  auto* record = new SampleRecord;
  record->object = sample;
  record->refCount = 1;
  record->name = normalised;
  samples_.push_back(record);
  return sample;
}

geometry::CollisionTree* ResourceManager::LoadCollisionTree(const std::string& name, bool useQuadtree,
                                                            bool forceReload) {
  return LoadShared<geometry::CollisionTree>(
      ResourceKind::kCollisionTree, name, forceReload, [useQuadtree](const std::string& normalised) {
        auto tree = std::make_shared<geometry::CollisionTree>();
        tree->Load(normalised, useQuadtree);
        return tree;
      });
}

ImageRecord* ResourceManager::ReleaseImage(const ImageResource* image) {
  if (image == nullptr) return nullptr;
  return Release(images_, image);
}
MovieRecord* ResourceManager::ReleaseMovie(const MovieTexture* movie) { return Release(movies_, movie); }
FontRecord* ResourceManager::ReleaseFont(const BitmapFont* font) { return Release(fonts_, font); }
CubeMapRecord* ResourceManager::ReleaseCubeMap(const CubeMap* cubeMap) { return Release(cubeMaps_, cubeMap); }
SampleRecord* ResourceManager::ReleaseSoundSample(platform::audio::SampleId sample) {
  if (sample == platform::audio::kNoSample) return nullptr;
  return Release(samples_, sample);
}
SharedRecord* ResourceManager::ReleaseShared(ResourceKind kind, const void* object) {
  SharedRecord* record = FindSharedRecord(kind, object);
  if (record != nullptr) --record->refCount;
  return record;
}

ImageResource* ResourceManager::AddImageReference(ImageResource* image) {
  if (image == nullptr) return nullptr;
  if (ImageRecord* record = FindImageRecord(image)) {
    ++record->refCount;
    return image;
  }
  // An image made outside the manager becomes owned by it from here on.
  auto* record = new ImageRecord;
  record->object.reset(image);
  record->refCount = 1;
  std::string upper = image->colourName;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  record->givenName = upper;
  record->names[0] = upper;
  images_.push_back(record);
  return image;
}

ResourceRecord* ResourceManager::FindRecordByHandle(ResourceKind kind, const void* handle) {
  switch (kind) {
    case ResourceKind::kImage:
      return FindImageRecord(static_cast<const ImageResource*>(handle));
    case ResourceKind::kMovie:
      return FindMovieRecord(static_cast<const MovieTexture*>(handle));
    case ResourceKind::kFont:
      return FindFontRecord(static_cast<const BitmapFont*>(handle));
    case ResourceKind::kCubeMap:
      return FindCubeMapRecord(static_cast<const CubeMap*>(handle));
    case ResourceKind::kSample:
      return nullptr;
    default:
      return FindSharedRecord(kind, handle);
  }
}

ImageRecord* ResourceManager::FindImageRecord(const ImageResource* image) { return FindByHandle(images_, image); }
MovieRecord* ResourceManager::FindMovieRecord(const MovieTexture* movie) { return FindByHandle(movies_, movie); }
FontRecord* ResourceManager::FindFontRecord(const BitmapFont* font) { return FindByHandle(fonts_, font); }
CubeMapRecord* ResourceManager::FindCubeMapRecord(const CubeMap* cubeMap) { return FindByHandle(cubeMaps_, cubeMap); }
SampleRecord* ResourceManager::FindSampleRecord(platform::audio::SampleId sample) {
  return FindByHandle(samples_, sample);
}
SharedRecord* ResourceManager::FindSharedRecord(ResourceKind kind, const void* object) {
  for (SharedRecord* record : SharedList(kind)) {
    if (record->object.get() == object) return record;
  }
  return nullptr;
}

std::vector<SharedRecord*>& ResourceManager::SharedList(ResourceKind kind) { return shared_[static_cast<size_t>(kind)]; }

void ResourceManager::DestroyRecords(ResourceKind kind, bool onlyUnreferenced) {
  switch (kind) {
    case ResourceKind::kImage:
      // An image gives back its movies and cube map through this manager while it is destroyed.
      Sweep(images_, onlyUnreferenced, [](ImageRecord* record) { record->object.reset(); });
      break;
    case ResourceKind::kSample:
      Sweep(samples_, onlyUnreferenced, [this](SampleRecord* record) {
        if (mixer_ != nullptr) mixer_->FreeSample(record->object);
      });
      break;
    case ResourceKind::kMovie:
      Sweep(movies_, onlyUnreferenced, [](MovieRecord* record) { record->object.reset(); });
      break;
    case ResourceKind::kCubeMap:
      Sweep(cubeMaps_, onlyUnreferenced, [](CubeMapRecord* record) { record->object.reset(); });
      break;
    case ResourceKind::kFont:
      Sweep(fonts_, onlyUnreferenced, [](FontRecord* record) { record->object.reset(); });
      break;
    default:
      Sweep(SharedList(kind), onlyUnreferenced, [](SharedRecord* record) { record->object.reset(); });
      break;
  }
}

void ResourceManager::PurgeUnused() {
  for (int kind = 0; kind < kResourceKindCount; ++kind) DestroyRecords(static_cast<ResourceKind>(kind), true);
}

void ResourceManager::FreeAll() {
  for (int kind = 0; kind < kResourceKindCount; ++kind) DestroyRecords(static_cast<ResourceKind>(kind), false);
}

void ResourceManager::Update(float dt) {
  for (MovieRecord* record : movies_) {
    if (record->autoUpdate) record->object->Advance(dt);
  }
  for (ImageRecord* record : images_) record->object->UpdateAnimation(dt);
}

void ResourceManager::InvalidateDeviceObjects() {
  for (ResourceKind kind : {ResourceKind::kModel, ResourceKind::kMeshModel}) {
    for (SharedRecord* record : SharedList(kind)) {
      if (record->invalidate) record->invalidate();
    }
  }
  for (CubeMapRecord* record : cubeMaps_) record->object->Invalidate();
  for (ImageRecord* record : images_) record->object->InvalidateRenderTarget();
  for (DeviceBufferHolder* holder : bufferHolders_) holder->ReleaseDeviceBuffers();
}

void ResourceManager::RestoreDeviceObjects(platform::gfx::Device* device) {
  for (ResourceKind kind : {ResourceKind::kModel, ResourceKind::kMeshModel}) {
    for (SharedRecord* record : SharedList(kind)) {
      if (record->restore) record->restore(device);
    }
  }
  for (CubeMapRecord* record : cubeMaps_) record->object->Restore(device);
  for (ImageRecord* record : images_) record->object->RestoreRenderTarget(device);
  for (DeviceBufferHolder* holder : bufferHolders_) holder->RestoreDeviceBuffers(device);
}

void DeviceBufferHolder::JoinDeviceResets(ResourceManager* manager) {
  if (manager == resetManager_) return;
  LeaveDeviceResets();
  if (manager == nullptr) return;
  manager->bufferHolders_.push_back(this);
  resetManager_ = manager;
}

void DeviceBufferHolder::LeaveDeviceResets() {
  if (resetManager_ == nullptr) return;
  auto& holders = resetManager_->bufferHolders_;
  holders.erase(std::remove(holders.begin(), holders.end(), this), holders.end());
  resetManager_ = nullptr;
}

size_t ResourceManager::Count(ResourceKind kind) const {
  switch (kind) {
    case ResourceKind::kImage:
      return images_.size();
    case ResourceKind::kSample:
      return samples_.size();
    case ResourceKind::kMovie:
      return movies_.size();
    case ResourceKind::kCubeMap:
      return cubeMaps_.size();
    case ResourceKind::kFont:
      return fonts_.size();
    default:
      return shared_[static_cast<size_t>(kind)].size();
  }
}

}  // namespace render
