// The plug-in's map files on disk and its loader behind the host's state
// operations: a map saved to a file (a name beyond ASCII, over an older
// file) is written whole and loads into another instance as the same
// state; a missing file or folder says why and changes nothing; a host's
// load ends the step back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "plugin/kavo_lumet_plug.h"
#include "editor/wide_text.h"
#include "plugin/map_files.h"
#include "tests/support/com_streams.h"
#include "tests/support/recording_host.h"

namespace {

const char kMap[] = R"({"channel": 3, "slots": [
  {"slot": 1, "name": "Legato", "keyswitch": "C0", "actions": [{"cc": 58, "value": 20, "channel": 2}]},
  {"slot": 2, "name": "Pizzicato", "uacc": 56}]})";

class MapFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder =
        std::wstring(temp) + L"map files \x00E9t\x00E9 " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    plug = static_cast<KAVOLumetPlug*>(CreatePlugInstance(&host, 9));
    other = static_cast<KAVOLumetPlug*>(CreatePlugInstance(&host, 10));
  }
  void TearDown() override {
    plug->Destroy();
    other->Destroy();
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    while (find != INVALID_HANDLE_VALUE) {
      DeleteFileW((folder + L"\\" + found.cFileName).c_str());
      if (!FindNextFileW(find, &found)) {
        FindClose(find);
        break;
      }
    }
    RemoveDirectoryW(folder.c_str());
  }
  static std::vector<uint8_t> HostSave(KAVOLumetPlug* p) {
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    p->SaveOrLoadState(stream, 1);
    std::vector<uint8_t> bytes = StreamBytes(stream);
    stream->Release();
    return bytes;
  }
  int FilesInFolder() const {
    int count = 0;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    while (find != INVALID_HANDLE_VALUE) {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
      if (!FindNextFileW(find, &found)) {
        FindClose(find);
        break;
      }
    }
    return count;
  }

  RecordingHost host;
  KAVOLumetPlug* plug = nullptr;
  KAVOLumetPlug* other = nullptr;
  std::wstring folder;
};

TEST_F(MapFiles, ASavedMapIsWrittenWholeAndLoadsBackAsTheSameState) {
  MapLoadReport report;
  ASSERT_TRUE(plug->mapLoader().LoadFile("mine.json", {kMap, kMap + sizeof kMap - 1}, report))
      << report.summary;
  for (const wchar_t* name : {L"\\Streicher \x266A.json", L"\\Streicher \x266A.reabank"}) {
    const std::wstring path = folder + name;
    // An older, longer file is replaced whole.
    ASSERT_TRUE(WriteFileWhole(path, std::string(100000, 'x'), report.summary));
    ASSERT_TRUE(SaveMapToFile(plug->mapLoader(), path, report)) << report.summary;
    EXPECT_EQ(report.summary.rfind("Saved 2 slots to Streicher \xE2\x99\xAA.", 0), 0u)
        << report.summary;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadMapFileBytes(path, bytes, report)) << report.summary;
    std::string text;
    ASSERT_TRUE(plug->mapLoader().CurrentMapText(panel_text::Utf8(path), text, report));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text);
  }
  EXPECT_EQ(FilesInFolder(), 2) << "no file of the writing left behind";

  ASSERT_TRUE(LoadMapFromFile(other->mapLoader(), folder + L"\\Streicher \x266A.json", report))
      << report.summary;
  EXPECT_EQ(report.summary.rfind("Loaded the map Streicher \xE2\x99\xAA.json: 2 slots", 0), 0u)
      << report.summary;
  EXPECT_EQ(HostSave(other), HostSave(plug));
}

TEST_F(MapFiles, AMissingFileOrFolderSaysWhyAndChangesNothing) {
  const std::vector<uint8_t> before = HostSave(plug);
  MapLoadReport report;
  EXPECT_FALSE(LoadMapFromFile(plug->mapLoader(), folder + L"\\none.reabank", report));
  EXPECT_EQ(report.summary.rfind("Not loaded: none.reabank: ", 0), 0u) << report.summary;
  EXPECT_GT(report.summary.size(), std::string("Not loaded: none.reabank: ").size());
  EXPECT_FALSE(SaveMapToFile(plug->mapLoader(), folder + L"\\no folder\\x.json", report));
  EXPECT_EQ(report.summary.rfind("Not saved: x.json: ", 0), 0u) << report.summary;
  EXPECT_EQ(HostSave(plug), before);
  EXPECT_EQ(FilesInFolder(), 0);
}

TEST_F(MapFiles, TheHostsStateGoesThroughTheLoader) {
  const std::vector<uint8_t> project = HostSave(plug);
  MapLoadReport report;
  ASSERT_TRUE(plug->mapLoader().LoadFile("mine.json", {kMap, kMap + sizeof kMap - 1}, report));
  EXPECT_EQ(HostSave(plug), plug->mapLoader().CurrentState());
  EXPECT_TRUE(plug->mapLoader().CanUndo());
  IStream* stream = StreamOver(project);
  plug->SaveOrLoadState(stream, 0);
  stream->Release();
  EXPECT_FALSE(plug->mapLoader().CanUndo());
  EXPECT_EQ(HostSave(plug), project);
}

}  // namespace
