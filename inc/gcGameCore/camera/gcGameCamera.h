#pragma once
// The single game camera, as far as the game flow needs it today: framing a
// frame's drawing around the open dialogs, the tick it receives and the
// collision mask the game file sets. Its controllers, filters, shake, fade
// and letterbox are the camera's own (built with the game camera); until
// then it frames a frame without a 3-D view. Main thread.

#include <cstdint>

class gcMsg;

class gcGameCamera {
public:
    static gcGameCamera* Get();  // made on the first call

    void BeginRender();
    // The camera's overlays, then the open dialogs.
    void Draw();
    void EndRender();
    void Send(const gcMsg& msg);

    uint32_t m_nCollisionMask = 0;  // what the camera collides with; set from the game file
};
