// The settings store against the real registry (Wine's, in a fresh prefix):
// what LoadSettings, SaveSettings and ForgetInstallFolder leave in
// HKEY_LOCAL_MACHINE\SOFTWARE\Brevald\Settings and in the program's fields.
#include <windows.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "system/settings_store.h"

namespace {

const char SettingsKeyPath[] = "SOFTWARE\\Brevald\\Settings";
const char DefaultProposedFolder[] = "C:\\Program Files\\Brevald\\KestDemo";

// The settings fields as the program starts with them, taken before any
// test runs (they are constant-initialised, so this copy sees them).
struct SettingsSnapshot {
    char installFolder[PathBufferSize];
    char proposedFolder[PathBufferSize];
    uint32_t directSound, directX, winDirect, debug;
};

SettingsSnapshot TakeSnapshot()
{
    SettingsSnapshot snapshot;
    memcpy(snapshot.installFolder, InstallFolder, sizeof InstallFolder);
    memcpy(snapshot.proposedFolder, ProposedFolder, sizeof ProposedFolder);
    snapshot.directSound = DirectSound;
    snapshot.directX = DirectX;
    snapshot.winDirect = WinDirect;
    snapshot.debug = Debug;
    return snapshot;
}

const SettingsSnapshot StartFields = TakeSnapshot();

// Puts the fields back as the program starts with them.
void RestoreStartFields()
{
    memcpy(InstallFolder, StartFields.installFolder, sizeof InstallFolder);
    memcpy(ProposedFolder, StartFields.proposedFolder, sizeof ProposedFolder);
    DirectSound = StartFields.directSound;
    DirectX = StartFields.directX;
    WinDirect = StartFields.winDirect;
    Debug = StartFields.debug;
}

// Removes the settings key and its parent, as on a machine that never ran
// the installer.
void DeleteSettingsKey()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SettingsKeyPath);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brevald");
}

// Opens the settings key for reading and writing; NULL when it is missing.
HKEY OpenKey()
{
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return NULL;
    return key;
}

// Creates the key (with no class) and stores one value in it.
void StoreValue(const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &key, NULL));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, (const BYTE *)data, size));
    RegCloseKey(key);
}

void StoreText(const char *name, const char *text)
{
    StoreValue(name, REG_SZ, text, (DWORD)strlen(text) + 1);
}

void StoreNumber(const char *name, DWORD number)
{
    StoreValue(name, REG_DWORD, &number, sizeof number);
}

// One value as the registry holds it.
struct StoredValue {
    bool present;
    DWORD type;
    std::string bytes;
};

StoredValue ReadValue(const char *name)
{
    StoredValue value = {false, 0, std::string()};
    HKEY key = OpenKey();
    if (key == NULL)
        return value;
    char data[1024];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, NULL, &value.type, (BYTE *)data, &size) == ERROR_SUCCESS) {
        value.present = true;
        value.bytes.assign(data, size);
    }
    RegCloseKey(key);
    return value;
}

// The stored number of a REG_DWORD value; fails the test for anything else.
DWORD ReadNumber(const char *name)
{
    StoredValue value = ReadValue(name);
    EXPECT_TRUE(value.present) << name;
    EXPECT_EQ((DWORD)REG_DWORD, value.type) << name;
    EXPECT_EQ(4u, value.bytes.size()) << name;
    DWORD number = 0;
    if (value.bytes.size() == 4)
        memcpy(&number, value.bytes.data(), 4);
    return number;
}

// The key's class text and how many values and subkeys it has.
struct KeyFacts {
    bool present;
    std::string className;
    DWORD values;
    DWORD subkeys;
};

KeyFacts ReadKeyFacts()
{
    KeyFacts facts = {false, std::string(), 0, 0};
    HKEY key = OpenKey();
    if (key == NULL)
        return facts;
    char className[64];
    DWORD classLength = sizeof className;
    if (RegQueryInfoKeyA(key, className, &classLength, NULL, &facts.subkeys, NULL, NULL,
                         &facts.values, NULL, NULL, NULL, NULL) == ERROR_SUCCESS) {
        facts.present = true;
        facts.className.assign(className, classLength);
    }
    RegCloseKey(key);
    return facts;
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteSettingsKey();
        RestoreStartFields();
    }
    void TearDown() override { DeleteSettingsKey(); }
};

TEST_F(SettingsStore, FirstStartCreatesEmptyKeyWithClassDatAndKeepsDefaults)
{
    ASSERT_FALSE(ReadKeyFacts().present);

    LoadSettings();

    KeyFacts facts = ReadKeyFacts();
    ASSERT_TRUE(facts.present);
    EXPECT_EQ(".dat", facts.className);
    EXPECT_EQ(0u, facts.values);
    EXPECT_EQ(0u, facts.subkeys);
    EXPECT_STREQ("", InstallFolder);
    EXPECT_STREQ(DefaultProposedFolder, ProposedFolder);
    EXPECT_EQ(1u, DirectSound);
    EXPECT_EQ(1u, DirectX);
    EXPECT_EQ(1u, WinDirect);
    EXPECT_EQ(0u, Debug);
}

TEST_F(SettingsStore, StoredFolderIsLoadedIntoBothFolders)
{
    StoreText("VRKNPath", "D:\\Games\\Demo\\");

    LoadSettings();

    EXPECT_STREQ("D:\\Games\\Demo\\", InstallFolder);
    EXPECT_STREQ("D:\\Games\\Demo\\", ProposedFolder);
}

TEST_F(SettingsStore, EmptyStoredFolderKeepsTheProposedDefault)
{
    StoreText("VRKNPath", "");

    LoadSettings();

    EXPECT_STREQ("", InstallFolder);
    EXPECT_STREQ(DefaultProposedFolder, ProposedFolder);
}

TEST_F(SettingsStore, FolderDataWithoutTerminatorIsReadUpToItsLength)
{
    // The stored type is not looked at: raw bytes serve as the text.
    StoreValue("VRKNPath", REG_BINARY, "D:\\Y\\", 5);

    LoadSettings();

    EXPECT_STREQ("D:\\Y\\", InstallFolder);
}

TEST_F(SettingsStore, FolderThatDoesNotFitWithItsTerminatorLeavesFoldersAlone)
{
    // 259 bytes and the terminator fill the 260-byte buffer exactly ...
    std::string fits(258, 'a');
    fits += '\\';
    StoreValue("VRKNPath", REG_BINARY, fits.data(), (DWORD)fits.size());
    LoadSettings();
    EXPECT_EQ(fits, std::string(InstallFolder));

    // ... 260 bytes leave no room for it, and neither does a longer text.
    RestoreStartFields();
    std::string tooLong(259, 'b');
    tooLong += '\\';
    StoreValue("VRKNPath", REG_BINARY, tooLong.data(), (DWORD)tooLong.size());
    LoadSettings();
    EXPECT_STREQ("", InstallFolder);
    EXPECT_STREQ(DefaultProposedFolder, ProposedFolder);

    std::string farTooLong(400, 'c');
    StoreText("VRKNPath", farTooLong.c_str());
    LoadSettings();
    EXPECT_STREQ("", InstallFolder);
    EXPECT_STREQ(DefaultProposedFolder, ProposedFolder);
}

TEST_F(SettingsStore, FolderWithoutBackslashIsCompletedWhereItFitsElseRefused)
{
    // Written by something other than the installer: the folder gets its
    // backslash, so every installed file is the folder text and a name.
    StoreText("VRKNPath", "D:\\Games\\Demo");
    LoadSettings();
    EXPECT_STREQ("D:\\Games\\Demo\\", InstallFolder);
    EXPECT_STREQ("D:\\Games\\Demo\\", ProposedFolder);

    // 258 characters take their backslash and the terminator exactly ...
    RestoreStartFields();
    std::string fits(258, 'd');
    StoreText("VRKNPath", fits.c_str());
    LoadSettings();
    EXPECT_EQ(fits + "\\", std::string(InstallFolder));

    // ... 259 leave no room for it: the folder is refused, not installed.
    RestoreStartFields();
    std::string noRoom(259, 'e');
    StoreText("VRKNPath", noRoom.c_str());
    LoadSettings();
    EXPECT_STREQ("", InstallFolder);
    EXPECT_STREQ(DefaultProposedFolder, ProposedFolder);

    // A one-character folder reads back as the save stored it.
    RestoreStartFields();
    StoreText("VRKNPath", "X");
    LoadSettings();
    EXPECT_STREQ("X", InstallFolder);
}

TEST_F(SettingsStore, SwitchesOtherThanOneSurviveLoadsAndSaves)
{
    StoreText("VRKNPath", "D:\\Games\\Demo\\");
    StoreNumber("DirectSound", 1);
    StoreNumber("DirectX", 2);
    StoreNumber("WinDirect", 0);
    StoreNumber("Debug", 5);

    for (int round = 0; round < 3; round++) {
        LoadSettings();
        EXPECT_EQ(1u, DirectSound);
        EXPECT_EQ(2u, DirectX);
        EXPECT_EQ(0u, WinDirect);
        EXPECT_EQ(5u, Debug);
        SaveSettings();
        EXPECT_EQ(1u, ReadNumber("DirectSound"));
        EXPECT_EQ(2u, ReadNumber("DirectX"));
        EXPECT_EQ(0u, ReadNumber("WinDirect"));
        EXPECT_EQ(5u, ReadNumber("Debug"));
    }
}

TEST_F(SettingsStore, MissingSwitchesKeepTheirFieldValues)
{
    StoreNumber("Debug", 7);
    DirectSound = 11;
    DirectX = 12;
    WinDirect = 13;

    LoadSettings();

    EXPECT_EQ(11u, DirectSound);
    EXPECT_EQ(12u, DirectX);
    EXPECT_EQ(13u, WinDirect);
    EXPECT_EQ(7u, Debug);
}

TEST_F(SettingsStore, ShortSwitchDataReplacesLowBytesAndLongDataNothing)
{
    const unsigned char twoBytes[] = {0x34, 0x12};
    const unsigned char eightBytes[] = {9, 9, 9, 9, 9, 9, 9, 9};
    StoreValue("DirectX", REG_BINARY, twoBytes, sizeof twoBytes);
    StoreValue("Debug", REG_BINARY, eightBytes, sizeof eightBytes);
    DirectX = 0xAABBCCDDu;
    Debug = 0x01020304u;

    LoadSettings();

    EXPECT_EQ(0xAABB1234u, DirectX);
    EXPECT_EQ(0x01020304u, Debug);
}

TEST_F(SettingsStore, SaveWritesAllFiveValuesWithTheirTypes)
{
    CopyMemory(InstallFolder, "D:\\Games\\Demo\\", sizeof "D:\\Games\\Demo\\");
    DirectSound = 0;
    DirectX = 1;
    WinDirect = 3;
    Debug = 0xDEADBEEFu;

    SaveSettings();

    StoredValue folder = ReadValue("VRKNPath");
    ASSERT_TRUE(folder.present);
    EXPECT_EQ((DWORD)REG_SZ, folder.type);
    EXPECT_EQ(std::string("D:\\Games\\Demo\\", sizeof "D:\\Games\\Demo\\"), folder.bytes);
    EXPECT_EQ(0u, ReadNumber("DirectSound"));
    EXPECT_EQ(1u, ReadNumber("DirectX"));
    EXPECT_EQ(3u, ReadNumber("WinDirect"));
    EXPECT_EQ(0xDEADBEEFu, ReadNumber("Debug"));
    KeyFacts facts = ReadKeyFacts();
    EXPECT_EQ(".dat", facts.className);
    EXPECT_EQ(5u, facts.values);
}

TEST_F(SettingsStore, SaveAppendsTheBackslashToTheStoredCopyOnly)
{
    struct Case {
        const char *field;
        const char *stored;
    };
    const Case cases[] = {
        {"D:\\Games\\Demo", "D:\\Games\\Demo\\"},
        {"D:\\Games\\Demo\\", "D:\\Games\\Demo\\"},
        {"", ""},
        {"C", "C"},
    };
    for (const Case &c : cases) {
        strcpy(InstallFolder, c.field);
        SaveSettings();
        StoredValue folder = ReadValue("VRKNPath");
        ASSERT_TRUE(folder.present) << c.field;
        EXPECT_EQ((DWORD)REG_SZ, folder.type) << c.field;
        EXPECT_EQ(std::string(c.stored, strlen(c.stored) + 1), folder.bytes) << c.field;
        EXPECT_STREQ(c.field, InstallFolder);
    }
}

TEST_F(SettingsStore, ForgetEmptiesOnlyTheStoredFolder)
{
    strcpy(InstallFolder, "D:\\Games\\Demo\\");
    DirectSound = 0;
    DirectX = 2;
    WinDirect = 1;
    Debug = 5;
    EXPECT_EQ(1, SaveSettings());

    EXPECT_EQ(1, ForgetInstallFolder());

    StoredValue folder = ReadValue("VRKNPath");
    ASSERT_TRUE(folder.present);
    EXPECT_EQ((DWORD)REG_SZ, folder.type);
    EXPECT_EQ(std::string("", 1), folder.bytes);
    EXPECT_EQ(0u, ReadNumber("DirectSound"));
    EXPECT_EQ(2u, ReadNumber("DirectX"));
    EXPECT_EQ(1u, ReadNumber("WinDirect"));
    EXPECT_EQ(5u, ReadNumber("Debug"));
    KeyFacts facts = ReadKeyFacts();
    EXPECT_EQ(".dat", facts.className);
    EXPECT_EQ(5u, facts.values);

    // The next start finds the demo not installed and keeps the switches.
    RestoreStartFields();
    LoadSettings();
    EXPECT_STREQ("", InstallFolder);
    EXPECT_STREQ(DefaultProposedFolder, ProposedFolder);
    EXPECT_EQ(0u, DirectSound);
    EXPECT_EQ(2u, DirectX);
    EXPECT_EQ(5u, Debug);
}

TEST_F(SettingsStore, SaveAndForgetSaySoWhenTheKeyCannotBeMade)
{
    // Under a volatile parent no lasting key can be created.
    HKEY parent = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brevald", 0, NULL,
                                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL, &parent,
                                             NULL));
    RegCloseKey(parent);
    strcpy(InstallFolder, "D:\\Games\\Demo\\");

    EXPECT_EQ(0, SaveSettings());
    EXPECT_EQ(0, ForgetInstallFolder());

    EXPECT_FALSE(ReadKeyFacts().present);
}

TEST_F(SettingsStore, ForgetOnAMissingKeyCreatesItWithClassDat)
{
    ForgetInstallFolder();

    KeyFacts facts = ReadKeyFacts();
    ASSERT_TRUE(facts.present);
    EXPECT_EQ(".dat", facts.className);
    EXPECT_EQ(1u, facts.values);
    EXPECT_EQ(std::string("", 1), ReadValue("VRKNPath").bytes);
}

}  // namespace
