#pragma once
// Rings of things filed in one octree node (scene nodes, volumes, sounds)
// and the subtree counts that go with them. A lone member links to itself;
// the node's head stays first and newcomers go at the end. Counts cover a
// node's whole subtree, so they change from the node up to the root.

#include <cstdint>

#include "eEngine/eOctree.h"

namespace eZoneRing {

template <class Node, class Count>
void AddToCounts(Node* pNodes, int32_t node, Count Node::*pCount, int delta)
{
    for (int32_t i = node;; i = eOctree::Parent(i)) {
        pNodes[i].*pCount = static_cast<Count>(pNodes[i].*pCount + delta);
        if (i == 0)
            break;
    }
}

template <class Node, class Count, class T>
void File(Node* pNodes, int32_t node, T* Node::*pHead, Count Node::*pCount, T* t, T* T::*pPrev, T* T::*pNext)
{
    T*& head = pNodes[node].*pHead;
    if (head) {
        T* last = head->*pPrev;
        t->*pPrev = last;
        t->*pNext = head;
        last->*pNext = t;
        head->*pPrev = t;
    } else {
        t->*pPrev = t;
        t->*pNext = t;
        head = t;
    }
    AddToCounts(pNodes, node, pCount, +1);
}

template <class Node, class Count, class T>
void Unfile(Node* pNodes, int32_t node, T* Node::*pHead, Count Node::*pCount, T* t, T* T::*pPrev, T* T::*pNext)
{
    T*& head = pNodes[node].*pHead;
    T* next = t->*pNext;
    T* prev = t->*pPrev;
    if (next == t || !next) {
        head = nullptr;
    } else {
        if (head == t)
            head = next;
        prev->*pNext = next;
        next->*pPrev = prev;
    }
    t->*pPrev = nullptr;
    t->*pNext = nullptr;
    AddToCounts(pNodes, node, pCount, -1);
}

// Empties every ring of a tree without touching counts (the tree goes too),
// calling drop on each member.
template <class Node, class T, class Drop>
void DropAll(Node* pNodes, int32_t nNodes, T* Node::*pHead, T* T::*pNext, Drop drop)
{
    if (!pNodes)
        return;
    for (int32_t i = 0; i < nNodes; ++i) {
        T* const head = pNodes[i].*pHead;
        T* t = head;
        while (t) {
            T* next = t->*pNext;
            drop(t);
            t = next == head ? nullptr : next;
        }
        pNodes[i].*pHead = nullptr;
    }
}

}  // namespace eZoneRing
