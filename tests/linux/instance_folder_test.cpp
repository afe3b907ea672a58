// The per-user and per-instance folders of the hack on a real file system: which
// folder is chosen, what is refused (and never followed or changed), and what each
// instance leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/instance_folder.h"
#include "platform/posix/user_folder.h"

namespace vtl::posix {
namespace {

namespace fs = std::filesystem;

struct CandidateCase {
    const char* what;
    const char* xdg;
    const char* tmp;
    std::vector<std::string> expected;
};

class TempCandidatesTest : public ::testing::TestWithParam<CandidateCase> {};

TEST_P(TempCandidatesTest, PrefersTheSessionsFolderThenTmpdirThenTmp) {
    const CandidateCase& c = GetParam();
    EXPECT_EQ(TempCandidates(c.xdg, c.tmp), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Environments, TempCandidatesTest,
    ::testing::Values(CandidateCase{"nothing set", nullptr, nullptr, {"/tmp"}},
                      CandidateCase{"all three", "/run/user/7", "/var/tmp/", {"/run/user/7", "/var/tmp", "/tmp"}},
                      CandidateCase{"TMPDIR is /tmp", nullptr, "/tmp/", {"/tmp"}},
                      CandidateCase{"relative and empty ones are left out", "run", "", {"/tmp"}},
                      CandidateCase{"the same folder twice", "/scratch", "/scratch//", {"/scratch", "/tmp"}}));

constexpr uid_t kMe = 1000;

UserFolderFacts Ours(mode_t mode) {
    UserFolderFacts f;
    f.isFolder = true;
    f.owner = kMe;
    f.mode = mode;
    return f;
}

struct VerdictCase {
    const char* what;
    UserFolderFacts facts;
    FolderVerdict verdict;
};

class JudgeUserFolderTest : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(JudgeUserFolderTest, UsesOnlyAPrivateFolderOfOurOwn) {
    const VerdictCase& c = GetParam();
    EXPECT_EQ(JudgeUserFolder(c.facts, kMe), c.verdict) << c.what;
    EXPECT_EQ(DescribeRefusal(c.verdict, "/t/vtl3d-1000", EROFS).empty(), IsUsable(c.verdict)) << c.what;
}

UserFolderFacts With(UserFolderFacts f, void (*change)(UserFolderFacts&)) {
    change(f);
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Folders, JudgeUserFolderTest,
    ::testing::Values(VerdictCase{"made or found private", Ours(0700), FolderVerdict::use},
                      VerdictCase{"readable by others", Ours(0755), FolderVerdict::makePrivate},
                      VerdictCase{"not writable by us", Ours(0500), FolderVerdict::makePrivate},
                      VerdictCase{"writable by the group", Ours(0770), FolderVerdict::writableByOthers},
                      VerdictCase{"writable by all", Ours(0777), FolderVerdict::writableByOthers},
                      VerdictCase{"planted by another user",
                                  With(Ours(0700), [](UserFolderFacts& f) { f.owner = kMe + 1; }),
                                  FolderVerdict::foreignOwner},
                      VerdictCase{"planted by root", With(Ours(0755), [](UserFolderFacts& f) { f.owner = 0; }),
                                  FolderVerdict::foreignOwner},
                      VerdictCase{"a link",
                                  With(Ours(0777),
                                       [](UserFolderFacts& f) {
                                           f.isLink = true;
                                           f.isFolder = false;
                                       }),
                                  FolderVerdict::link},
                      VerdictCase{"a file", With(Ours(0600), [](UserFolderFacts& f) { f.isFolder = false; }),
                                  FolderVerdict::notFolder},
                      VerdictCase{"read-only temporary folder",
                                  With({}, [](UserFolderFacts& f) { f.makeError = EROFS; }), FolderVerdict::cannotMake},
                      VerdictCase{"temporary folder missing",
                                  With({}, [](UserFolderFacts& f) { f.makeError = ENOENT; }),
                                  FolderVerdict::cannotMake},
                      VerdictCase{"in a folder others can rename in",
                                  With(Ours(0700), [](UserFolderFacts& f) { f.baseOpenToOthers = true; }),
                                  FolderVerdict::unsafeBase}));

TEST(SoundClaimName, OneClaimPerDisplayWhateverTheScreen) {
    EXPECT_EQ(SoundClaimName(":0"), "sound-:0.lock");
    EXPECT_EQ(SoundClaimName(":0.1"), "sound-:0.lock");
    EXPECT_EQ(SoundClaimName("host.example:10.0"), "sound-host.example:10.lock");
    EXPECT_EQ(SoundClaimName("../x/:1"), "sound-.._x_:1.lock");
    EXPECT_EQ(SoundClaimName(""), "sound-.lock");
}

// A folder of candidates for one test, removed afterwards.
class InstanceFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name =
            std::string("vtl_instance_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        root_ = fs::temp_directory_path() / name;
        fs::remove_all(root_);
        fs::create_directories(root_ / "a");
        fs::create_directories(root_ / "b");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    std::string Base(const char* name) const { return (root_ / name).string(); }
    std::string Named(const char* base) const { return UserFolderName(Base(base), geteuid()); }
    std::vector<std::string> Candidates() const { return {Base("a"), Base("b")}; }
    std::unique_ptr<InstanceFolder> Open(std::vector<std::string>& refusals, uid_t uid = geteuid()) {
        return InstanceFolder::Open(Candidates(), uid, refusals);
    }

    fs::path root_;
};

TEST_F(InstanceFolderTest, TwoInstancesShareTheUserFolderButNotTheirOwn) {
    std::vector<std::string> refusals;
    auto first = Open(refusals);
    auto second = Open(refusals);
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(refusals.empty());
    EXPECT_EQ(first->UserFolder(), Named("a"));
    EXPECT_EQ(second->UserFolder(), Named("a"));
    EXPECT_TRUE(first->Shared());
    EXPECT_NE(first->Folder(), second->Folder());
    EXPECT_EQ(fs::status(Named("a")).permissions() & fs::perms::all, fs::perms::owner_all);

    // Ending one leaves the other's folder alone; the last one takes the user folder too.
    fs::create_directories(first->Folder() + "/qvtmptxt.$$$");
    std::FILE* f = std::fopen((second->Folder() + "/kept").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    first->Close();
    EXPECT_FALSE(fs::exists(first->Folder()));
    EXPECT_TRUE(fs::exists(second->Folder() + "/kept"));
    second->Close();
    EXPECT_FALSE(fs::exists(Named("a"))) << "the last instance left the user folder";
}

TEST_F(InstanceFolderTest, AKilledInstancesFolderIsClearedAtTheNextStartAndALiveOneIsNot) {
    std::vector<std::string> refusals;
    auto live = Open(refusals);
    ASSERT_TRUE(live);
    // What a killed instance leaves: a folder whose live file nobody holds, and one
    // killed before it made the file at all.
    const std::string dead = Named("a") + "/run.dead01", unmade = Named("a") + "/run.dead02";
    fs::create_directories(dead + "/qvtmptxt.$$$");
    std::fclose(std::fopen((dead + "/live").c_str(), "w"));
    std::fclose(std::fopen((dead + "/qvtmptxt.$$$/Near3.wav").c_str(), "w"));
    fs::create_directories(unmade);
    auto next = Open(refusals);
    ASSERT_TRUE(next);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_FALSE(fs::exists(unmade));
    EXPECT_TRUE(fs::exists(live->Folder() + "/live"));
}

TEST_F(InstanceFolderTest, OneInstanceHoldsADisplaysSoundAndAnotherTakesItOver) {
    std::vector<std::string> refusals;
    auto first = Open(refusals), second = Open(refusals), elsewhere = Open(refusals);
    ASSERT_TRUE(first && second && elsewhere);
    EXPECT_TRUE(first->TryClaimSound(":5"));
    EXPECT_FALSE(second->TryClaimSound(":5.0")) << "a second screen of the display would sound too";
    EXPECT_TRUE(elsewhere->TryClaimSound(":6")) << "another display has its own sound";
    EXPECT_FALSE(second->TryClaimSound(":5"));
    first->Close();
    EXPECT_TRUE(second->TryClaimSound(":5"));
    EXPECT_TRUE(second->HoldsSound());
    second->Close();
    elsewhere->Close();
    EXPECT_FALSE(fs::exists(Named("a")));
}

// What is planted at the first candidate's name, and where the instance then goes.
struct PlantCase {
    const char* what;
    void (*plant)(const std::string& named, const std::string& base);
};

class PlantedFolderTest : public InstanceFolderTest, public ::testing::WithParamInterface<PlantCase> {};

TEST_P(PlantedFolderTest, IsNeverUsedAndTheNextCandidateIsTaken) {
    const PlantCase& c = GetParam();
    c.plant(Named("a"), Base("a"));
    const auto before = fs::symlink_status(Named("a"));
    std::vector<std::string> refusals;
    auto instance = Open(refusals);
    ASSERT_TRUE(instance) << c.what;
    EXPECT_EQ(instance->UserFolder(), Named("b")) << c.what;
    ASSERT_EQ(refusals.size(), 1u) << c.what;
    EXPECT_EQ(refusals[0].rfind(Named("a"), 0), 0u) << c.what << ": " << refusals[0];
    EXPECT_EQ(fs::symlink_status(Named("a")).type(), before.type()) << c.what;
    EXPECT_EQ(fs::symlink_status(Named("a")).permissions(), before.permissions()) << c.what;
    if (fs::is_symlink(Named("a"))) {
        EXPECT_TRUE(fs::is_empty(Base("a") + "/target")) << c.what << ": written through";
    }
    instance->Close();
    EXPECT_FALSE(fs::exists(Named("b")));
}

INSTANTIATE_TEST_SUITE_P(Plants, PlantedFolderTest,
                         ::testing::Values(PlantCase{"a link to a folder",
                                                     [](const std::string& named, const std::string& base) {
                                                         fs::create_directories(base + "/target");
                                                         fs::create_directory_symlink(base + "/target", named);
                                                     }},
                                           PlantCase{"a dangling link",
                                                     [](const std::string& named, const std::string& base) {
                                                         fs::create_directories(base + "/target");
                                                         fs::create_directory_symlink(base + "/nowhere", named);
                                                     }},
                                           PlantCase{"a folder others can write to",
                                                     [](const std::string& named, const std::string&) {
                                                         fs::create_directories(named);
                                                         fs::permissions(named, fs::perms::all);
                                                     }},
                                           PlantCase{"a file", [](const std::string& named, const std::string&) {
                                                         std::fclose(std::fopen(named.c_str(), "w"));
                                                     }}));

TEST_F(InstanceFolderTest, AFolderOfAnotherOwnerIsRefused) {
    // Judged as another user, the folders we make are planted ones; only a fresh folder,
    // which nobody else can have made, is left.
    const uid_t other = geteuid() + 1;
    std::vector<std::string> refusals;
    auto instance = Open(refusals, other);
    ASSERT_TRUE(instance);
    EXPECT_FALSE(instance->Shared());
    ASSERT_EQ(refusals.size(), 2u);
    for (const std::string& r : refusals) EXPECT_NE(r.find("belongs to another user"), std::string::npos) << r;
    EXPECT_TRUE(fs::exists(UserFolderName(Base("a"), other))) << "a refused folder is left as it was";
}

TEST_F(InstanceFolderTest, AReadableFolderOfOursIsMadePrivateAndUsed) {
    fs::create_directories(Named("a"));
    fs::permissions(Named("a"), fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    std::vector<std::string> refusals;
    auto instance = Open(refusals);
    ASSERT_TRUE(instance);
    EXPECT_EQ(instance->UserFolder(), Named("a"));
    EXPECT_TRUE(refusals.empty());
    EXPECT_EQ(fs::status(Named("a")).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(InstanceFolderTest, WhenEveryNamedFolderIsPlantedAFreshOneIsMade) {
    for (const char* base : {"a", "b"}) {
        fs::create_directories(Named(base));
        fs::permissions(Named(base), fs::perms::all);
    }
    std::vector<std::string> refusals;
    auto instance = Open(refusals);
    ASSERT_TRUE(instance);
    EXPECT_FALSE(instance->Shared());
    EXPECT_EQ(instance->UserFolder().rfind(Named("a") + ".", 0), 0u) << instance->UserFolder();
    EXPECT_EQ(refusals.size(), 2u);
    const std::string fresh = instance->UserFolder();
    instance->Close();
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_TRUE(fs::exists(Named("a"))) << "a planted folder is not ours to remove";
}

TEST_F(InstanceFolderTest, AMissingTemporaryFolderFallsThroughWithItsReason) {
    std::vector<std::string> refusals;
    auto instance = InstanceFolder::Open({Base("missing"), Base("b")}, geteuid(), refusals);
    ASSERT_TRUE(instance);
    EXPECT_EQ(instance->UserFolder(), Named("b"));
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_NE(refusals[0].find("cannot be made"), std::string::npos) << refusals[0];
}

TEST_F(InstanceFolderTest, NoCandidateThatWorksGivesNoFolder) {
    std::fclose(std::fopen(Base("file").c_str(), "w"));
    std::vector<std::string> refusals;
    EXPECT_EQ(InstanceFolder::Open({Base("file")}, geteuid(), refusals), nullptr);
    EXPECT_FALSE(refusals.empty());
}

}  // namespace
}  // namespace vtl::posix
