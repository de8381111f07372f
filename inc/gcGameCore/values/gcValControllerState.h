#pragma once
// The script value through which data reads the controllers: one button
// state of one logical button, on the player's port or, while the player
// has none, summed over the four ports. Also built on the stack by the game
// flow, the player record and the interface. Read with its owner into its
// pool; main thread. Type id 94.

#include <cstdint>

#include "eEngine/eInput.h"
#include "gcGameCore/script/gcValue.h"

class gcValControllerState : public gcValue {
    QM_DECLARE_TYPE(gcValControllerState)
public:
    static constexpr uint32_t kVersion = 1;

#define QM_CONTROLLER_STATES(X)                                                                   \
    X(STATE_PRESSED, 0, "Pressed")        /* 1 when the button went down this frame */           \
    X(STATE_DOWN, 1, "Down")              /* its normalised value */                             \
    X(STATE_RELEASED, 2, "Released")      /* 1 when it went up this frame */                     \
    X(STATE_DBLPRESSED, 3, "DoublePressed")                                                      \
    X(STATE_LASTPRESSED, 4, "LastPressed")  /* 1 when it is the port's last pressed button */    \
    X(STATE_VALUE, 5, "Value")            /* its normalised value */                             \
    X(STATE_DOWNTIME, 6, "DownTime")      /* seconds held */                                     \
    X(STATE_IDLETIME, 7, "IdleTime")      /* seconds the port has been idle */                   \
    X(STATE_PRESENT, 8, "Present")        /* 1 when a controller is in the port */               \
    X(STATE_CHANGED, 9, "Changed")        /* 1 when the port's presence changed this frame */    \
    X(STATE_PLAYERCONTROLLER, 10, "PlayerController")  /* the player's port plus one; 0 without */
#define QM_CONTROLLER_STATE_ENUM(name, value, text) name = value,
    enum gcState : int32_t { QM_CONTROLLER_STATES(QM_CONTROLLER_STATE_ENUM) MAX_STATES = 11 };
#undef QM_CONTROLLER_STATE_ENUM

    // Pressed of Button1.
    gcValControllerState() = default;
    gcValControllerState(gcState s, eInput::eButton b) : state(s), button(b) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, then the button, then the state.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The parameters are not used. 0.0 for a state or button outside its
    // table.
    float Get(const gcEventParams& params) const override;
    // "Controller.IdleTime", "UIConfirm" (Value), "UIConfirm.Pressed".
    void GetText(char* pBuf) const override;

    // The player's port when it has one; else the first of ports 0-3 on
    // which the query is not 0.0; -1 when none answers.
    int GetFirstControllerResponse() const;

    static const char* GetButtonStateText(int state);  // "???" outside the table
    static const char* GetButtonText(int button);      // "???" outside 0..39

    gcState state = STATE_PRESSED;
    // An eInput::eButton as stored; data may hold values outside it, which
    // an unscoped enum cannot represent.
    int32_t button = eInput::JOYBTN_1;

private:
    bool IsValid() const;
    float GetOnPort(int port) const;
};
