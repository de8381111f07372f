#include "gcGameCore/flow/gcGameConfigPlatform.h"

#include "platform/gx.h"
#include "platform/vi.h"
#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "eEngine/eAudio.h"
#include "eEngine/eInput.h"
#include "eEngine/eROMFont.h"
#include "eEngine/eVideo.h"
#include "mMath/mOCS.h"

// Texts in the boot-ROM font's Windows-1252 (0x99 is the trademark sign),
// lines joined by newlines; indexed by language, then by drive status.
const char* const gcGameConfigPlatform::s_sDriveErrors[gcGameConfig::MAX_LANGUAGES][kDriveErrorTexts] = {
    {
        "The Game Disc could not be read.\n"
        "Please read the Hollowbeck Console\x99\n"
        "Instruction Booklet for more information.",
        "Please insert the Quillmere:\n"
        "The Ashgrove Vantrel Game Disc.",
        "The Disc Cover is open.\n"
        "If you want to continue the game,\n"
        "please close the Disc Cover.",
        "This is not the Quillmere:\n"
        "The Ashgrove Vantrel Game Disc.\n"
        "Please insert the Quillmere:\n"
        "The Ashgrove Vantrel Game Disc.",
        "An error has occurred. Turn the power\n"
        "off and refer to the Hollowbeck Console\x99\n"
        "Instruction Booklet for further instructions.",
        "",
    },
    {
        "No se pudo leer el disco del juego.\n"
        "Consulta el manual de instrucciones de la\n"
        "Hollowbeck Console\x99 para m\xE1s informaci\xF3n.",
        "Inserta el disco de\n"
        "Quillmere: The Ashgrove Vantrel.",
        "La tapa del disco est\xE1 abierta.\n"
        "Si quieres continuar la partida,\n"
        "cierra la tapa del disco.",
        "Este no es el disco de\n"
        "Quillmere: The Ashgrove Vantrel.\n"
        "Inserta el disco de\n"
        "Quillmere: The Ashgrove Vantrel.",
        "Se ha producido un error. Apaga la consola\n"
        "y consulta el manual de instrucciones\n"
        "de la Hollowbeck Console\x99.",
        "",
    },
    {
        "Impossible de lire le disque de jeu.\n"
        "Veuillez consulter le mode d'emploi de la\n"
        "Hollowbeck Console\x99 pour plus d'informations.",
        "Veuillez ins\xE9rer le disque de\n"
        "Quillmere: The Ashgrove Vantrel.",
        "Le couvercle du lecteur est ouvert.\n"
        "Pour continuer la partie,\n"
        "veuillez fermer le couvercle.",
        "Ce disque n'est pas celui de\n"
        "Quillmere: The Ashgrove Vantrel.\n"
        "Veuillez ins\xE9rer le disque de\n"
        "Quillmere: The Ashgrove Vantrel.",
        "Une erreur s'est produite. \xC9teignez la console\n"
        "et consultez le mode d'emploi\n"
        "de la Hollowbeck Console\x99.",
        "",
    },
    {
        "Die Spiel-Disc konnte nicht gelesen werden.\n"
        "Bitte lies die Bedienungsanleitung der\n"
        "Hollowbeck Console\x99.",
        "Bitte lege die Disc von\n"
        "Quillmere: The Ashgrove Vantrel ein.",
        "Der Disc-Deckel ist offen.\n"
        "Um das Spiel fortzusetzen,\n"
        "schlie\xDF" "e bitte den Disc-Deckel.",
        "Dies ist nicht die Disc von\n"
        "Quillmere: The Ashgrove Vantrel.\n"
        "Bitte lege die Disc von\n"
        "Quillmere: The Ashgrove Vantrel ein.",
        "Ein Fehler ist aufgetreten. Schalte das Ger\xE4t aus\n"
        "und lies die Bedienungsanleitung\n"
        "der Hollowbeck Console\x99.",
        "",
    },
    {
        "Impossibile leggere il disco di gioco.\n"
        "Consulta il manuale di istruzioni della\n"
        "Hollowbeck Console\x99 per maggiori informazioni.",
        "Inserisci il disco di\n"
        "Quillmere: The Ashgrove Vantrel.",
        "Il coperchio del disco \xE8 aperto.\n"
        "Per continuare la partita,\n"
        "chiudi il coperchio del disco.",
        "Questo non \xE8 il disco di\n"
        "Quillmere: The Ashgrove Vantrel.\n"
        "Inserisci il disco di\n"
        "Quillmere: The Ashgrove Vantrel.",
        "Si \xE8 verificato un errore. Spegni la console\n"
        "e consulta il manuale di istruzioni\n"
        "della Hollowbeck Console\x99.",
        "",
    },
    {
        "De speldisk kan niet worden gelezen.\n"
        "Lees de handleiding van de\n"
        "Hollowbeck Console\x99 voor meer informatie.",
        "Plaats de disk van\n"
        "Quillmere: The Ashgrove Vantrel.",
        "De diskklep is open.\n"
        "Sluit de diskklep\n"
        "om verder te spelen.",
        "Dit is niet de disk van\n"
        "Quillmere: The Ashgrove Vantrel.\n"
        "Plaats de disk van\n"
        "Quillmere: The Ashgrove Vantrel.",
        "Er is een fout opgetreden. Zet het systeem uit\n"
        "en lees de handleiding van de\n"
        "Hollowbeck Console\x99.",
        "",
    },
};

namespace {

// One frame of a screen without a camera: black, the text in the boot-ROM
// font centred, shown.
void ShowNotice(const char* text)
{
    eVideo::BeginRender();
    eVideo::Clear(true, true, gcGameConfig::kBlack, 1.0f, nullptr);
    eROMFont::Print("%s", text);
    eVideo::EndRender();
    eVideo::Flip();
}

// Silences the mixer at once: master volume 0, one step of no time so the
// channels take it.
void MuteAudio()
{
    mOCS identity;
    identity.MakeIdentity();
    eAudio::s_fMasterVolume = 0.0f;
    eAudio::Update(cTimeValue(0), identity);
}

}  // namespace

const char* gcGameConfigPlatform::GetDriveErrorText(int language, int status)
{
    if (language < 0 || language >= gcGameConfig::MAX_LANGUAGES || status < 0 || status >= kDriveErrorTexts)
        return "";
    return s_sDriveErrors[language][status];
}

const char* gcGameConfigPlatform::GetStartupNotice()
{
    return "Quillmere: The Ashgrove Vantrel\nHollowbeck Inc.";
}

void gcGameConfigPlatform::ResetNotify()
{
    VISetBlack(TRUE);
    VIFlush();
    VIWaitForRetrace();
    GXFlush();
    GXDrawDone();
    VIFlush();
    VIWaitForRetrace();
    MuteAudio();
    eAudio::FreeGroup(eAudio::ACG_BGM);
    eAudio::FreeGroup(eAudio::ACG_VO);
    eAudio::FreeGroup(eAudio::ACG_UI);
    eAudio::FreeGroup(eAudio::ACG_SFX);
    eInput::Reset();
    cHandleReset();
}

// Shown until the drive is ready again. On a PC the program may also be
// asked to end meanwhile (its window closed, a signal, the frame limit): the
// screen then gives way and the caller's loop ends the program normally.
void gcGameConfigPlatform::FileErrorNotify(cFile::cFileStatus status)
{
    if (VIQuitRequested())
        return;  // already on the way out
    cLogWarn_("gcGameConfig: the game data cannot be read (%s); waiting until it can",
              cFile::GetFileStatusText(status));
    MuteAudio();
    eInput::Reset();
    cFile::cFileStatus current = status;
    do {
        ShowNotice(GetDriveErrorText(gcGameConfig::s_languages[gcGameConfig::LANGUAGE_TEXT], current));
        current = cFile::GetFileStatus();
        // A fatal error is final: not even the reset button leaves it.
        if (current != cFile::FS_FATAL_ERROR)
            cCheckResetState();
    } while (current != cFile::FS_OK && !VIQuitRequested());
    if (current == cFile::FS_OK)
        cLogInfo_("gcGameConfig: the game data can be read again");
    eAudio::s_fMasterVolume = 1.0f;
}

void gcGameConfig::Initialize()
{
    cSetResetNotify(gcGameConfigPlatform::ResetNotify);
    cFile::s_errorNotify = gcGameConfigPlatform::FileErrorNotify;
    for (int frame = 0; frame < kStartupNoticeFrames; ++frame) {
        ShowNotice(gcGameConfigPlatform::GetStartupNotice());
        if (!cUpdateOS())
            break;
    }
}

void gcGameConfig::Uninitialize()
{
    cFile::s_errorNotify = nullptr;
}
