#pragma once
// Text forms of script nodes (actions and values) for logs and tools. Every
// text buffer handed to a GetText or GetTextRecursive holds kSize bytes; the
// appends cut the text there, so deep expressions never overrun it. Main
// thread; the functions keep no state.

#include <cstddef>

class gcScriptText {
public:
    static constexpr size_t kSize = 1024;  // bytes of every text buffer, terminator included

    // Appends text (null appends nothing), cutting at kSize - 1 characters.
    static void Append(char* pBuf, const char* sText);
    static void AppendF(char* pBuf, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // The text of a node with its children. Flags: 0x1 children in
    // parentheses, 0x2 leaf (no children shown), 0x4 function form (own text
    // first, children separated by ", "); without 0x4 the own text stands
    // between the first child and the others. Node has GetText,
    // GetTextFlags, GetNumChildren and GetChildByIndex.
    template <class Node>
    static void AppendRecursive(const Node& node, char* pBuf)
    {
        const unsigned nFlags = node.GetTextFlags();
        const int nChildren = node.GetNumChildren();
        if ((nFlags & kLeaf) || nChildren <= 0) {
            node.GetText(pBuf);
            return;
        }
        if (nFlags & kFunction)
            node.GetText(pBuf);
        if (nFlags & kParentheses)
            Append(pBuf, "( ");
        int nShown = 0;
        for (int i = 0; i < nChildren; ++i) {
            if (const auto* pChild = node.GetChildByIndex(i)) {
                if ((nFlags & kFunction) && i > 0)
                    Append(pBuf, ", ");
                pChild->GetTextRecursive(pBuf);
                ++nShown;
            }
            if (!(nFlags & kFunction) && i == 0) {
                // Infix: the own text follows the first child, shown or not.
                Append(pBuf, " ");
                node.GetText(pBuf);
                Append(pBuf, " ");
            }
        }
        if (nFlags & kParentheses)
            Append(pBuf, nShown > 0 ? " )" : ")");
    }

    static constexpr unsigned kParentheses = 0x1;
    static constexpr unsigned kLeaf = 0x2;
    static constexpr unsigned kFunction = 0x4;
};
