#include "sound/qvsound.h"

#include <utility>

#include "pack/assetnames.h"

namespace vtl {

const std::array<TSample, 4> StreetSamples = {{
    {kStreet1File, 30},
    {kStreet2File, 50},
    {kStreet3File, 70},
    {kStreet4File, 100},
}};

const std::array<TSample, 3> NearSamples = {{
    {kNear1File, 14},
    {kNear2File, 25},
    {kNear3File, 100},
}};

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// Only the second street sample is sometimes played three times in a row.
constexpr std::size_t kRepeatedStreetRow = 1;
constexpr double kStreetRepeatChance = 0.25;
constexpr std::uint32_t kStreetRepeats = 2;

}  // namespace

HeliMove MoveHelicopter(float x, float step) {
    HeliMove move{x + step, step, false};
    if (move.x > kHeliEdge) {
        move.step = -kHeliStep;
        move.x = move.x - kHeliStep;
        move.turned = true;
    }
    if (move.x < -kHeliEdge) {
        move.step = kHeliStep;
        move.x = move.x + kHeliStep;
        move.turned = true;
    }
    return move;
}

TSoundSystem::TSoundSystem(SoundServices services, std::string scratchFolder)
    : services_(std::move(services)), folder_(std::move(scratchFolder)) {
    audio_ = services_.createAudio();
}

TSoundSystem::~TSoundSystem() {
    if (audio_) audio_->StopAll();
    backgroundSegment_.reset();
    helicopterSegment_.reset();
    streetSegment_.reset();
    nearSegment_.reset();
    // The back end takes its channels with it.
    background_ = helicopter_ = street_ = near_ = nullptr;
    audio_.reset();
    moveTimer_.reset();
    streetTimer_.reset();
    nearTimer_.reset();
}

std::string TSoundSystem::SamplePath(const char* fileName) const { return folder_ + kSeparator + fileName; }

std::unique_ptr<IMessageTimer> TSoundSystem::MakeTimer(std::uint32_t milliseconds) {
    return services_.timers->CreateTimer(milliseconds, [this](IMessageTimer& sender) { TimerEvent(sender); });
}

void TSoundSystem::Start() {
    IRandom& random = *services_.random;
    random.Randomize();

    background_ = audio_->CreatePerformance();
    backgroundSegment_ = audio_->LoadSegment(SamplePath(kBackgroundLoopFile));
    helicopter_ = audio_->CreatePerformance();
    helicopterSegment_ = audio_->LoadSegment(SamplePath(kHelicopterLoopFile));
    background_->DownloadSegment(*backgroundSegment_);
    helicopter_->DownloadSegment(*helicopterSegment_);
    background_->SetVolume(kBackgroundVolume);
    helicopter_->SetVolume(0);
    helicopter_->SetDopplerFactor(kHeliDoppler);
    backgroundSegment_->LoopForever();
    helicopterSegment_->LoopForever();

    heliX_ = static_cast<float>(random.Random(50) - 25);
    heliStep_ = kHeliStep;
    helicopter_->SetPosition(heliX_, kHeliHeight, 0);
    helicopter_->SetVelocity(kHeliSpeed, 0, 0);
    moveTimer_ = MakeTimer(kMoveInterval);

    street_ = audio_->CreatePerformance();
    streetTimer_ = MakeTimer(static_cast<std::uint32_t>(random.Random(8000) + 7000));
    near_ = audio_->CreatePerformance();
    nearTimer_ = MakeTimer(static_cast<std::uint32_t>(random.Random(5000) + 2000));

    background_->PlaySegment(*backgroundSegment_);
    helicopter_->PlaySegment(*helicopterSegment_);
}

void TSoundSystem::TimerEvent(IMessageTimer& sender) {
    if (failed_ || paused_) return;
    try {
        if (&sender == moveTimer_.get() && helicopter_) MoveTick();
        if (&sender == streetTimer_.get() && street_) StreetEvent();
        if (&sender == nearTimer_.get() && near_) NearEvent();
    } catch (...) {
        // Whatever failed would fail again at the next event (a sample file gone), and
        // each failure is shown to a person: the system goes quiet and stays so.
        failed_ = true;
        try {
            audio_->StopAll();
        } catch (...) {}
        throw;
    }
}

// The movement timer goes too: 33 wake-ups a second for a helicopter that holds still
// would be most of what a dark saver costs.
void TSoundSystem::Pause() {
    if (paused_) return;
    paused_ = true;
    audio_->StopAll();
    moveTimer_.reset();
}

void TSoundSystem::Resume() {
    if (!paused_) return;
    paused_ = false;
    if (failed_) return;
    if (helicopter_) moveTimer_ = MakeTimer(kMoveInterval);
    if (background_ && backgroundSegment_) background_->PlaySegment(*backgroundSegment_);
    if (helicopter_ && helicopterSegment_) helicopter_->PlaySegment(*helicopterSegment_);
}

void TSoundSystem::MoveTick() {
    const HeliMove move = MoveHelicopter(heliX_, heliStep_);
    heliX_ = move.x;
    heliStep_ = move.step;
    if (move.turned) helicopter_->SetVelocity(heliStep_ > 0 ? kHeliSpeed : -kHeliSpeed, 0, 0);
    helicopter_->SetPosition(heliX_, kHeliHeight, 0);
}

// A sample that cannot be loaded leaves by an error here: the rest of the event is
// skipped, so the timer keeps its interval and the next event tries again.
void TSoundSystem::StreetEvent() {
    IRandom& random = *services_.random;
    streetSegment_.reset();
    const TSample& sample = PickSample(StreetSamples, random.Random(100));
    streetSegment_ = audio_->LoadSegment(SamplePath(sample.FileName));
    streetSegment_->SetRepeats(0);
    if (&sample == &StreetSamples[kRepeatedStreetRow] && random.RandomReal() < kStreetRepeatChance)
        streetSegment_->SetRepeats(kStreetRepeats);
    street_->DownloadSegment(*streetSegment_);
    const double u1 = random.RandomReal();
    const double u2 = random.RandomReal();
    street_->SetPosition(static_cast<float>(4 * u1 - 2), static_cast<float>(u2 - 0.5), 0);
    street_->PlaySegment(*streetSegment_);
    streetTimer_->SetInterval(static_cast<std::uint32_t>(random.Random(7000) + 7000));
}

void TSoundSystem::NearEvent() {
    IRandom& random = *services_.random;
    nearSegment_.reset();
    const TSample& sample = PickSample(NearSamples, random.Random(100));
    nearSegment_ = audio_->LoadSegment(SamplePath(sample.FileName));
    nearSegment_->SetRepeats(0);
    near_->DownloadSegment(*nearSegment_);
    near_->PlaySegment(*nearSegment_);
    nearTimer_->SetInterval(static_cast<std::uint32_t>(random.Random(2000) + 5000));
}

namespace {

SoundHost& Host() {
    static SoundHost host;
    return host;
}

// Owned, but deliberately not destroyed at exit: a run that never reached StopSound
// ends its process, and releasing audio objects from exit-time destructors would call
// into libraries that may already be shutting down.
TSoundSystem*& Instance() {
    static TSoundSystem* instance = nullptr;
    return instance;
}

std::string& Folder() {
    static std::string folder;
    return folder;
}

// Set when a start failed after unpacking: the sounds are removed at once, and once
// more at StopSound in case a back end that went down still held one of them.
bool& FolderLeftByFailedStart() {
    static bool left = false;
    return left;
}

// A silent saver still leaves nothing behind; a folder that cannot be removed now is
// tried again later, never reported.
void ClearFolderQuietly() {
    if (Folder().empty()) return;
    try {
        Host().clearFolder(Folder());
    } catch (...) {}
}

}  // namespace

void SetSoundHost(SoundHost host) { Host() = std::move(host); }

TSoundSystem* SoundSystem() { return Instance(); }
const std::string& SoundScratchFolder() { return Folder(); }

void StartSound() {
    if (Instance()) return;
    if (!Host().reportUnpackError) {
        Folder() = Host().unpackToTemp(kSoundPackName);
    } else {
        try {
            Folder() = Host().unpackToTemp(kSoundPackName);
        } catch (const std::exception& error) {
            // The unpacking removed what it wrote; there is nothing left to clear.
            Folder().clear();
            Host().reportUnpackError(error);
            return;
        }
    }
    // A partly built system is released at once; it would hold COM and the channels
    // for the rest of the run without making a sound.
    std::unique_ptr<TSoundSystem> system;
    try {
        system = std::make_unique<TSoundSystem>(Host().services, Folder());
        system->Start();
    } catch (...) {
        system.reset();
        FolderLeftByFailedStart() = true;
        ClearFolderQuietly();
        return;
    }
    Instance() = system.release();
}

void StopSound() {
    if (!Instance()) {
        if (FolderLeftByFailedStart()) {
            FolderLeftByFailedStart() = false;
            ClearFolderQuietly();
        }
        return;
    }
    delete Instance();
    Instance() = nullptr;
    Host().clearFolder(Folder());
    // Files still held by the back end until its pending messages ran are freed now.
    if (Host().services.timers) Host().services.timers->ProcessMessages();
    Host().clearFolder(Folder());
}

bool StopSoundAfterFailure() {
    if (!Instance() || !Instance()->Failed()) return false;
    StopSound();
    return true;
}

void PauseSound(bool paused) {
    if (TSoundSystem* system = Instance()) paused ? system->Pause() : system->Resume();
}

}  // namespace vtl
