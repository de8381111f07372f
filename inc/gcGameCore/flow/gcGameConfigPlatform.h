#pragma once
// The console half of the game configuration: the reset-button and
// disc-error handlers that gcGameConfig::Initialize installs, with the
// disc-error texts of every language. Static; the handlers run on the thread
// that calls the OS service step or reads the disc (usually the main
// thread), and draw through the video device themselves.

#include "gcGameCore/flow/gcGameConfig.h"

// The console's reset and disc-error handlers and the start-up notice.
class gcGameConfigPlatform {
public:
    static constexpr int kDriveErrorTexts = cFile::MAX_FILESTATUSES;

    // Reset pressed and released: blank the screen, silence and free every
    // channel group, reset input, restart with the save region kept.
    static void ResetNotify();
    // The drive reports a status other than OK: mute, then show the status's
    // message in the text language until the drive is OK again (on the
    // console a fatal error never becomes OK), polling the reset button
    // meanwhile except on a fatal error; the volume is back at 1 afterwards.
    static void FileErrorNotify(cFile::cFileStatus status);
    // The message of a status in a language; "" for OK and for values
    // outside the tables.
    static const char* GetDriveErrorText(int language, int status);
    static const char* GetStartupNotice();

    static const char* const s_sDriveErrors[gcGameConfig::MAX_LANGUAGES][kDriveErrorTexts];
};
