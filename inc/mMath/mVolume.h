#pragma once
// Empty common base of the bounding volumes (box, sphere, plane, frustum) and
// the result of their containment tests. No virtual functions; any thread.

struct mVolume {};

// How much of a volume another contains. The values are stored by callers.
enum class mContainment : int {
    NONE = 0,
    PARTIAL = 1,
    ALL = 2,
};
const char* mContainmentText(mContainment c);  // "???" outside the enumeration
