// qfwupdate-cli as a process on emulated machines: what a user or a script
// sees, from the listing to an update, its trace, its backup, a failed
// update undone by restore, and the refusals. The emulated flash of a run is
// looked at with --dump-flash and handed to the next run as a scenario's
// contents file.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "flash/image_layout.h"
#include "tests/app/cli/cli_images.h"
#include "tests/app/cli/process_runner.h"

namespace qfw::cli {
namespace {

using test::Bytes;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CliProcessTest : public testing::Test {
 protected:
  test::ProcessResult Cli(const std::vector<std::string>& args, std::map<std::string, std::string> env = {}) {
    env.emplace("XDG_STATE_HOME", (folder_ / "state").string());
    return test::RunProcess(QFW_CLI_PATH, args, folder_.Path(), env);
  }
  std::string File(const std::string& name) const { return (folder_ / name).string(); }

  // One QRS642 on /dev/sg1 holding the file's bytes; it re-attaches 100 ms
  // after its reset.
  std::string Scenario(const std::string& name, const std::string& contentsFile, const std::string& faults = "[]") {
    const std::string path = File(name);
    std::ofstream(path) << R"({"devices": [{"path": "/dev/sg1", "preset": "QRS642", "resetReattachMs": 100,
      "flash": {"contents": {"file": ")"
                        << contentsFile << R"("}}, "faults": )" << faults << "}]}";
    return path;
  }
  std::string OlderScenario() {
    test::WriteFile(File("older.bin"), test::OlderFlash13());
    return Scenario("older.json", File("older.bin"));
  }

  test::TemporaryFolder folder_;
};

TEST_F(CliProcessTest, ListsTheEmulatedMachineForPeopleAndScripts) {
  const std::string scenario = std::string(QFW_SCENARIO_DIR) + "/two-bridges.json";
  const auto human = Cli({"list", "--emulate", scenario});
  EXPECT_EQ(human.exitCode, 0);
  EXPECT_TRUE(Contains(human.out,
                       "/dev/sg1 (disk)\n  device:   Quorell QRS642 Bridge\n"
                       "  chip:     QRS642 Series, ChipId 0x000D\n"));
  EXPECT_TRUE(Contains(human.out, "/dev/sg3 (cdrom)"));

  const auto machine = Cli({"list", "--json", "--emulate", scenario});
  EXPECT_EQ(machine.exitCode, 0);
  const auto list = nlohmann::json::parse(machine.out);
  std::vector<std::string> summary;
  for (const auto& device : list)
    summary.push_back(device["path"].get<std::string>() + " " + device["state"].get<std::string>());
  EXPECT_EQ(summary, (std::vector<std::string>{"/dev/sg1 needs-update", "/dev/sg2 needs-update",
                                               "/dev/sg4 not-supported", "/dev/sg3 needs-update"}));
}

TEST_F(CliProcessTest, AnUpdateSavesTheFormerFlashWritesTheImageAndTracesEveryRequest) {
  const auto run = Cli({"update", "--yes", "--emulate", OlderScenario(), "--backup", File("former.bin"), "--trace",
                        File("trace.txt"), "--dump-flash", File("after.bin")});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(test::ReadFile(File("former.bin")), test::OlderFlash13());
  const Bytes after = test::ReadFile(File("after.bin"));
  const Bytes image = test::EmbeddedImage13();
  ASSERT_EQ(after.size(), kFlashImageSize);
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + kAlreadyUpdatedCompare13, after.begin()));
  EXPECT_TRUE(Contains(run.out, "Saved the former flash of /dev/sg1 to " + File("former.bin") + ".\n"));
  EXPECT_TRUE(Contains(run.out, "Updating: writing...\nUpdating: verifying...\n"));
  EXPECT_TRUE(Contains(run.out, "The chip already updated!!\n"));

  // The trace: the block writes of the image from address 0, then the reset.
  const std::string trace = test::Slurp(File("trace.txt"));
  EXPECT_TRUE(Contains(trace, "out df 02 00 "));
  std::size_t writeLines = 0;
  for (std::size_t at = trace.find("out df 0"); at != std::string::npos; at = trace.find("out df 0", at + 1)) {
    ++writeLines;
  }
  EXPECT_GE(writeLines, 8u);
  const auto reset = trace.find("ff 04 26 51 52");
  ASSERT_NE(reset, std::string::npos);
  EXPECT_LT(trace.find("out df 02 00 "), reset);
}

TEST_F(CliProcessTest, AFailedUpdateIsReportedAndItsBackupBringsTheFlashBack) {
  // The second chunk of each of the three attempts fails.
  const std::string faults = R"([{"kind": "failCommand", "prefix": "df 00", "nth": 1, "count": 2},
                                 {"kind": "failCommand", "prefix": "df 01", "nth": 2}])";
  test::WriteFile(File("older.bin"), test::OlderFlash13());
  const auto failed = Cli({"update", "--yes", "--emulate", Scenario("faulty.json", File("older.bin"), faults),
                           "--backup", File("former.bin"), "--dump-flash", File("broken.bin")});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_TRUE(Contains(failed.out, "Update    fail!!\n"));
  EXPECT_TRUE(Contains(failed.err, "qfwupdate-cli restore --device /dev/sg1 " + File("former.bin")));
  ASSERT_NE(test::ReadFile(File("broken.bin")), test::OlderFlash13());

  const auto restored = Cli({"restore", "--yes", "--device", "/dev/sg1", File("former.bin"), "--emulate",
                             Scenario("broken.json", File("broken.bin")), "--dump-flash", File("restored.bin")});
  EXPECT_EQ(restored.exitCode, 0) << restored.out << restored.err;
  EXPECT_EQ(test::ReadFile(File("restored.bin")), test::OlderFlash13());
}

TEST_F(CliProcessTest, AnImageFileThatIsNotAQrs642ImageIsRefusedBeforeAnyRequest) {
  struct BadImage {
    const char* name;
    std::size_t offset;  // byte to damage; the size case cuts the file instead
    const char* says;
  };
  const std::vector<BadImage> images{
      {"size", 0, "it is 49407 bytes; a QRS642 firmware image is 49408 bytes"},
      {"marker", 0xBFF0, "no firmware marker at 0xBFF0"},
      {"tag", 0xBFF5, "is not a QRS642 tag"},
      {"checksum", 0x0800, "does not match the code area"},
      {"signature", 0xC0FE, "does not end with the signature \"QR\""},
  };
  const std::string scenario = OlderScenario();
  for (const BadImage& bad : images) {
    Bytes image = test::EmbeddedImage13();
    if (bad.offset == 0) {
      image.pop_back();
    } else {
      image[bad.offset] ^= 0x21;
    }
    test::WriteFile(File("bad.bin"), image);
    const auto run = Cli({"update", "--yes", "--image", File("bad.bin"), "--emulate", scenario, "--trace",
                          File("trace.txt"), "--backup", File("former.bin")});
    EXPECT_EQ(run.exitCode, 1) << bad.name;
    EXPECT_TRUE(Contains(run.err, File("bad.bin") + " is not a QRS642 firmware image: ")) << run.err;
    EXPECT_TRUE(Contains(run.err, bad.says)) << run.err;
    EXPECT_TRUE(Contains(run.err, "Nothing was written.")) << bad.name;
    EXPECT_EQ(test::Slurp(File("trace.txt")), "") << bad.name;
    EXPECT_FALSE(std::filesystem::exists(File("former.bin"))) << bad.name;
  }
}

TEST_F(CliProcessTest, AMountedFileSystemOnTheBridgeStopsUpdateAndRestore) {
  test::WriteMountFixture(folder_.Path(), "/dev/sdb1 /media/usb-disk ext4 rw 0 0\n");
  const std::map<std::string, std::string> env{{"QFWUPDATE_SYSFS_ROOT", File("sys")},
                                               {"QFWUPDATE_MOUNTS", File("mounts")}};
  const std::string scenario = OlderScenario();
  const auto update = Cli({"update", "--yes", "--emulate", scenario, "--dump-flash", File("after.bin")}, env);
  EXPECT_EQ(update.exitCode, 1);
  EXPECT_TRUE(Contains(update.err, "/dev/sdb1 on /media/usb-disk"));
  EXPECT_TRUE(Contains(update.err, "--force"));
  EXPECT_EQ(test::ReadFile(File("after.bin")), test::OlderFlash13());

  const auto restore = Cli({"restore", "-y", "-d", "/dev/sg1", File("older.bin"), "--emulate", scenario}, env);
  EXPECT_EQ(restore.exitCode, 1);
  EXPECT_TRUE(Contains(restore.err, "is mounted"));
}

TEST_F(CliProcessTest, VersionHelpAndBadLines) {
  const auto version = Cli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(version.out.starts_with("qfwupdate-cli "));
  const auto help = Cli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(Contains(help.out, "restore --device PATH FILE"));
  const auto bad = Cli({"update", "--bogus"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.err, "qfwupdate-cli: unknown option --bogus\nTry qfwupdate-cli --help.\n");
  EXPECT_EQ(Cli({"info", "-d", "/dev/sg1", "--dump-flash", File("x.bin")}).exitCode, 1);
}

}  // namespace
}  // namespace qfw::cli
