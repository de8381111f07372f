#pragma once
// The end of a template's Read when its parent parts or its own part failed.
// A template reads its parent parts (entity, creature) first and its own
// part inside the same pass, committing nothing until all of it is read.
// When that fails:
// - its own block failed (logged where it failed): nothing more is said;
// - its own part was reached and refused it: the block is refused by name
//   (one warning) and skipped;
// - a parent part failed before its own part was reached (the parent logged
//   it): the block is skipped.
// The file then stands at the block's end wherever its header was sound.

class cReadBlock;

struct gcTemplateRead {
    // Always false, so that Read can return it.
    static bool Fail(const cReadBlock& rb, bool bOwnPartReached, const char* sClass, const char* sWhat);
};
