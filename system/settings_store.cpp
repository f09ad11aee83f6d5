// The settings record in the registry: HKEY_LOCAL_MACHINE
// "SOFTWARE\Brevald\Settings". A key that cannot be opened leaves every
// field at its initial value when loading; a save or an erasure that fails
// says so to its caller, which tells the user.
#include <windows.h>
#include <string.h>

#include "support/text_format.h"
#include "system/settings_store.h"

const char PathValueName[] = "VRKNPath";

static const char SettingsKeyPath[] = "SOFTWARE\\Brevald\\Settings";
static const char SettingsKeyClass[] = ".dat";

// The switches in the order they are read and written, after the folder.
static const char *const SwitchNames[] = {"DirectSound", "DirectX", "WinDirect", "Debug"};
static uint32_t *const SwitchFields[] = {&DirectSound, &DirectX, &WinDirect, &Debug};
enum { SwitchCount = 4 };

// Opens the settings key, creating it (with its class ".dat") when it is
// missing. Returns NULL when it cannot be opened.
static HKEY OpenSettingsKey(void)
{
    HKEY key = NULL;
    DWORD disposition;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0,
                                  (LPSTR)SettingsKeyClass, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, NULL, &key, &disposition);
    return result == ERROR_SUCCESS ? key : NULL;
}

// Reads the stored folder text into InstallFolder, whatever the value's
// type. A text that does not fit with its terminator leaves it empty; so
// does a folder that lacks its trailing backslash and has no room for one.
// A one-character text stays as it is, as the save stores it.
static void LoadInstallFolder(HKEY key)
{
    char stored[PathBufferSize];
    DWORD size = sizeof stored;
    InstallFolder[0] = '\0';
    if (RegQueryValueExA(key, PathValueName, NULL, NULL, (BYTE *)stored, &size) != ERROR_SUCCESS)
        return;
    // The data need not carry its own terminator.
    if (memchr(stored, '\0', size) == NULL) {
        if (size >= sizeof stored)
            return;
        stored[size] = '\0';
    }
    // The same rule as the save's, so a stored folder reads back as written.
    if (!AddTrailingBackslash(stored, sizeof stored))
        return;
    CopyText(InstallFolder, sizeof InstallFolder, stored);
}

// Reads one switch, whatever the value's type: the data's bytes replace the
// field's from its low-order byte on; data longer than 4 bytes, or a missing
// value, leaves the field as it was.
static void LoadSwitch(HKEY key, const char *name, uint32_t *field)
{
    BYTE bytes[4];
    memcpy(bytes, field, sizeof bytes);
    DWORD size = sizeof bytes;
    if (RegQueryValueExA(key, name, NULL, NULL, bytes, &size) != ERROR_SUCCESS)
        return;
    memcpy(field, bytes, size <= sizeof bytes ? size : sizeof bytes);
}

void LoadSettings(void)
{
    InstallFolder[0] = '\0';
    HKEY key = OpenSettingsKey();
    if (key == NULL)
        return;
    LoadInstallFolder(key);
    for (int i = 0; i < SwitchCount; i++)
        LoadSwitch(key, SwitchNames[i], SwitchFields[i]);
    RegCloseKey(key);

    // A reinstallation proposes the folder used last.
    if (InstallFolder[0] != '\0')
        CopyText(ProposedFolder, sizeof ProposedFolder, InstallFolder);
}

int SaveSettings(void)
{
    HKEY key = OpenSettingsKey();
    if (key == NULL)
        return 0;
    // The stored copy always ends in a backslash; InstallFolder stays as it is.
    char folder[PathBufferSize];
    CopyText(folder, sizeof folder, InstallFolder);
    AddTrailingBackslash(folder, sizeof folder);
    int saved = RegSetValueExA(key, PathValueName, 0, REG_SZ, (const BYTE *)folder,
                               (DWORD)strlen(folder) + 1) == ERROR_SUCCESS;
    for (int i = 0; i < SwitchCount; i++) {
        if (RegSetValueExA(key, SwitchNames[i], 0, REG_DWORD, (const BYTE *)SwitchFields[i],
                           sizeof(uint32_t)) != ERROR_SUCCESS)
            saved = 0;
    }
    if (RegCloseKey(key) != ERROR_SUCCESS)
        saved = 0;
    return saved;
}

int ForgetInstallFolder(void)
{
    HKEY key = OpenSettingsKey();
    if (key == NULL)
        return 0;
    int forgotten =
        RegSetValueExA(key, PathValueName, 0, REG_SZ, (const BYTE *)"", 1) == ERROR_SUCCESS;
    if (RegCloseKey(key) != ERROR_SUCCESS)
        forgotten = 0;
    return forgotten;
}
