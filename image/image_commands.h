#pragma once

#include "eeprom_image.h"
#include "image_messages.h"
#include "user_dialogs.h"

#include <QString>

namespace kestrel {

// Texts of the image commands.
[[nodiscard]] QString overwriteQuestion();
[[nodiscard]] QString readFailedMessage(const QString& path, const QString& reason);
[[nodiscard]] QString writeFailedMessage(const QString& path, const QString& reason);

enum class LoadOutcome
{
    Cancelled, // the open dialog was cancelled
    NoFile,    // the name is no file (or a folder): nothing happens, no message
    Refused,   // too large, unreadable or invalid: the message was shown, nothing changed
    Loaded,    // the buffer holds the file; the caller shows path and redraws the grids
};

struct LoadCommandResult
{
    LoadOutcome outcome = LoadOutcome::Cancelled;
    QString path; // the chosen name (empty when cancelled)
    // Loaded: what to tell once the image shows (data outside the EEPROM left out), or empty.
    QString notice;
};

enum class SaveOutcome
{
    Cancelled, // a save dialog was cancelled
    Saved,     // the file holds exactly EepromSize bytes
    Failed,    // the message with the reason was shown; nothing on disk changed
};

struct SaveCommandResult
{
    SaveOutcome outcome = SaveOutcome::Cancelled;
    QString path; // the chosen name (empty when cancelled)
};

// Writes the image to path in the format its name names (raw for any other name); a failure is
// told as a message and the file left as it was.
[[nodiscard]] SaveCommandResult saveImageToPath(const ImageState& state, UserDialogs& dialogs,
                                                const QString& path);

// Load from disk: asks for a file and takes the format its chosen file type names, reads it
// whole, and only when that succeeded replaces the image (entries 1..2047 := 255, then the
// file's bytes). Cursor, digit count and EepromSize are not touched.
[[nodiscard]] LoadCommandResult loadImageCommand(ImageState& state, UserDialogs& dialogs);
// The load command for a file already chosen (a file dropped on the window), in the format given
// or else as loadImageFile tells it. The reading runs through dialogs.runLong.
[[nodiscard]] LoadCommandResult loadImagePath(ImageState& state, UserDialogs& dialogs,
                                              const QString& path,
                                              std::optional<ImageFormat> format = std::nullopt);

// Save to disk: asks for a name; for an existing file asks whether to replace it (anything but
// OK asks for the name again), then writes the image's EepromSize bytes in the format of the
// name's extension (formatFromExtension).
[[nodiscard]] SaveCommandResult saveImageCommand(const ImageState& state, UserDialogs& dialogs);

} // namespace kestrel
