#include "eEngine/eColliderEllipse.h"

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

namespace {

using TP = eCollisionContact::eColTriPos;
using CE = eColliderEllipse;

const mVec3 kTri[3] = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}};

std::unique_ptr<CE> Falling()
{
    auto e = std::make_unique<CE>();
    e->Set({0, 0, 0}, 1.0f, {0, 0, -1}, {1, 1, 1});
    return e;
}

void AddAt(CE* e, float dist, TP pos = TP::TP_ONTRI, const mVec3* verts = kTri, CE::eContactType t = CE::CT_NORMAL)
{
    e->AddContactPoint(t, {0, 0, 0}, {0, 0, 1}, {0, 0, 1}, dist, nullptr, nullptr, pos, verts, false);
}

TEST(eColliderEllipseTest, SetWorksInTheScaledSpaceOfTheRadii)
{
    CE e;
    e.Set({1, 2, 4}, 3.0f, {0, 0, 1}, {0.5f, 0.5f, 1.0f});
    EXPECT_EQ(e.m_position, mVec3(2, 4, 4));
    EXPECT_FLOAT_EQ(e.m_fColZeroTol, 0.002f);  // 0.001 in units of the narrowest axis
    e.Set({0, 0, 0}, 2.0f, {0.6f, 0.8f, 0}, {0.5f, 2.0f, 1.0f});  // (1.2, 1.6) scales to (2.4, 0.8)
    EXPECT_NEAR(e.m_fMoveDist, 2.5298221f, 1e-6f);
    EXPECT_NEAR(e.m_moveDir.x, 0.9486833f, 1e-6f);
    EXPECT_EQ(e.m_prevGoodDir, e.m_moveDir);
    e.Set({0, 0, 0}, 0.0f, {1, 0, 0}, {1, 1, 1});
    EXPECT_EQ(e.m_moveDir, mVec3(0, 0, 0));  // a zero move has no direction
    e.Set({1, 1, 1}, 1.0f, {1, 0, 0}, {0, 1, 1});  // no size on x: kept finite
    EXPECT_TRUE(std::isfinite(e.m_position.x) && std::isfinite(e.m_fColZeroTol));
    e.Set({0, 0, 0}, 1.0f, {1, 0, 0}, {2, 4, 1});
    e.SetScaled({1, 1, 1}, 2.0f, {0, 1, 0});
    EXPECT_EQ(e.m_nonScaledPosition, mVec3(2, 4, 1));
    EXPECT_EQ(e.m_nonScaledMoveDir, mVec3(0, 1, 0));
    EXPECT_FLOAT_EQ(e.m_fNonScaledMoveDist, 8.0f);
    EXPECT_EQ(e.m_prevGoodDir, mVec3(1, 0, 0));  // kept from Set
}

TEST(eColliderEllipseTest, BlockingContactsKeepTheNearestThirtyTwo)
{
    auto e = Falling();
    e->AddContactPoint(CE::CT_NORMAL, {0, 0, 0}, {1, 0, -0.00005f}, {1, 0, 0}, 0.1f, nullptr, nullptr,
                       TP::TP_ONEDGE0_1, kTri, false);
    EXPECT_EQ(e->m_nContacts[CE::CT_NORMAL], 0);
    mVec3 tris[35][3];
    for (int i = 0; i < 35; ++i)
        for (int k = 0; k < 3; ++k)
            tris[i][k] = kTri[k] + mVec3(10.0f * i, 0, 0);
    AddAt(e.get(), 0.5f, TP::TP_ONTRI, tris[0]);
    AddAt(e.get(), 0.2f, TP::TP_ONTRI, tris[1]);
    AddAt(e.get(), 0.2f, TP::TP_ONTRI, tris[2]);
    ASSERT_EQ(e->m_nContacts[CE::CT_NORMAL], 2);
    EXPECT_EQ(e->m_pContacts[CE::CT_NORMAL][0].verts[0], tris[1][0]);  // older first
    EXPECT_FLOAT_EQ(e->m_fTravel, 0.2f);
    for (float d : {0.1f, 0.2f, 0.7f})
        AddAt(e.get(), d, TP::TP_ONTRI, kTri, CE::CT_TOUCH);
    e->VerifyTouchContacts();  // a touch beyond the first blocking contact is never reached
    EXPECT_EQ(e->m_nContacts[CE::CT_TOUCH], 2);

    for (int i = 3; i < 34; ++i)
        AddAt(e.get(), 0.2f, TP::TP_ONTRI, tris[i]);
    ASSERT_EQ(e->m_nContacts[CE::CT_NORMAL], 32);
    EXPECT_EQ(e->m_pContacts[CE::CT_NORMAL][31].verts[0], tris[32][0]);  // the 33rd was cut off
    AddAt(e.get(), 0.1f, TP::TP_ONTRI, tris[34]);
    ASSERT_EQ(e->m_nContacts[CE::CT_NORMAL], 1);
    EXPECT_EQ(e->m_pContacts[CE::CT_NORMAL][0].verts[0], tris[34][0]);
    for (int i = 0; i < 33; ++i)
        AddAt(e.get(), 0.5f, TP::TP_ONTRI, tris[i], CE::CT_EMBED);
    EXPECT_EQ(e->m_nContacts[CE::CT_EMBED], 32);
}

TEST(eColliderEllipseTest, OneFeatureSharedByNeighboursGivesOneContact)
{
    const mVec3 a[3] = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}};
    const mVec3 b[3] = {{4, 0, 0}, {0, 0, 0}, {0, -4, 0}};
    const struct { const char* why; TP first, second; int expected; TP kept; } rows[] = {
        {"the shared edge from both sides", TP::TP_ONEDGE0_1, TP::TP_ONEDGE0_1, 1, TP::TP_ONEDGE0_1},
        {"a face has the edge", TP::TP_ONTRI, TP::TP_ONEDGE0_1, 1, TP::TP_ONTRI},
        {"the face suppresses an older edge", TP::TP_ONEDGE0_1, TP::TP_ONTRI, 1, TP::TP_ONTRI},
        {"the shared corner twice", TP::TP_ONPOINT0, TP::TP_ONPOINT1, 1, TP::TP_ONPOINT0},
        {"an edge ends at the corner", TP::TP_ONPOINT1, TP::TP_ONEDGE0_1, 1, TP::TP_ONEDGE0_1},
        {"two faces", TP::TP_ONTRI, TP::TP_ONTRI, 2, TP::TP_ONTRI},
        {"an unshared edge and corner", TP::TP_ONEDGE1_2, TP::TP_ONPOINT2, 2, TP::TP_ONEDGE1_2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        auto e = Falling();
        AddAt(e.get(), 0.3f, row.first, a);
        AddAt(e.get(), 0.3f, row.second, b);
        ASSERT_EQ(e->m_nContacts[CE::CT_NORMAL], row.expected);
        EXPECT_EQ(e->m_pContacts[CE::CT_NORMAL][0].trianglePos, row.kept);
    }
    auto e = Falling();
    AddAt(e.get(), 0.3f, TP::TP_ONTRI, a);
    AddAt(e.get(), 0.3f, TP::TP_ONTRI, a);  // the same face again
    EXPECT_EQ(e->m_nContacts[CE::CT_NORMAL], 1);
}

TEST(eColliderEllipseTest, WorldContactUndoesTheScaling)
{
    CE e;
    e.Set({0, 0, 0}, 1.0f, {0, 0, -1}, {1, 1, 2});
    const float s = 0.70710677f;
    e.AddContactPoint(CE::CT_TOUCH, {0, 0, 1}, {0, 0, 1}, {s, 0, s}, 0.5f, nullptr, nullptr, TP::TP_ONEDGE0_1,
                      kTri, false);
    eCollisionContact w;
    e.GetWorldContact(CE::CT_TOUCH, 0, &w);
    EXPECT_EQ(w.normal, mVec3(0, 0, 1));
    EXPECT_EQ(w.position, mVec3(0, 0, 2));
    EXPECT_TRUE(w.triNormal.ApproxEqual({0.8944272f, 0, 0.4472136f}, 1e-6f));  // (1, 0, 1/2) normalised
    EXPECT_FLOAT_EQ(w.fDistanceToContact, 0.5f);
}

TEST(eColliderEllipseTest, ClampContactNormalsAppendsLevelledCopies)
{
    const float s20 = 0.34202015f, c20 = 0.9396926f, s60 = 0.8660254f;
    const struct { const char* why; mVec3 normal; TP pos; float minPitch, maxPitch, pitch; bool bFacesOnly, bResult;
                   mVec3 copy{0, 0, 0}; } rows[] = {
        {"a 20 degree rise becomes horizontal", {0, -c20, s20}, TP::TP_ONTRI, 0, 30, 0, false, true, {0, -1, 0}},
        {"a 60 degree rise is left", {0, -0.5f, s60}, TP::TP_ONTRI, 0, 30, 0, false, false},
        {"steep faces become vertical", {-0.5f, 0, s60}, TP::TP_ONTRI, 30, 90, 90, true, true, {0, 0, 1}},
        {"faces only leaves an edge", {-0.5f, 0, s60}, TP::TP_ONEDGE1_2, 30, 90, 90, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        CE e;
        e.Set({0, 0, 0}, 1.0f, -row.normal, {1, 1, 1});
        e.AddContactPoint(CE::CT_NORMAL, {0, 0, 0}, row.normal, row.normal, 0.0f, nullptr, nullptr, row.pos, kTri,
                          false);
        EXPECT_EQ(e.ClampContactNormals(row.minPitch, row.maxPitch, row.pitch, row.bFacesOnly), row.bResult);
        ASSERT_EQ(e.m_nContacts[CE::CT_NORMAL], row.bResult ? 2 : 1);
        EXPECT_EQ(e.m_pContacts[CE::CT_NORMAL][0].normal, row.normal);  // the contact itself stays
        EXPECT_TRUE(e.m_pContacts[CE::CT_NORMAL][row.bResult].normal.ApproxEqual(row.bResult ? row.copy : row.normal,
                                                                                  1e-6f));
    }
    CE e;
    e.Set({0, 0, 0}, 1.0f, {0, 0, -1}, {1, 1, 0.25f});
    mVec3 n(0, c20, s20 * 0.25f);  // world (0, c20, s20) in scaled space
    n.Normalize();
    e.AddContactPoint(CE::CT_NORMAL, {0, 0, 0}, n, n, 0.0f, nullptr, nullptr, TP::TP_ONTRI, kTri, false);
    EXPECT_TRUE(e.ClampContactNormals(0, 30, 0, false));
    EXPECT_TRUE(e.m_pContacts[CE::CT_NORMAL][1].normal.ApproxEqual({0, 1, 0}, 1e-6f));
}

TEST(eColliderEllipseTest, ClampContactNormalsLevelsEachQualifyingContactUnderItsOwnHeading)
{
    // One pass's contacts (distinct faces at one distance): the steep first one
    // is left, and each later one that qualifies gets a copy risen exactly 10
    // degrees under its own heading.
    const float s20 = 0.34202015f, c20 = 0.9396926f, s60 = 0.8660254f;
    const float c10 = 0.98480775f, s10 = 0.17364818f;
    const struct { mVec3 normal, copy; } rows[] = {
        {{0, -0.5f, s60}, {}},                   // 60 degrees: no copy
        {{0, -c20, s20}, {0, -c10, s10}},        // heading 180
        {{c20, 0, s20}, {c10, 0, s10}},          // heading -90
        {{-c20, 0, s20}, {-c10, 0, s10}},        // heading 90
    };
    CE e;
    e.Set({0, 0, 0}, 1.0f, {0, 0, -1}, {1, 1, 1});
    mVec3 verts[3] = {kTri[0], kTri[1], kTri[2]};
    for (const auto& row : rows) {
        e.AddContactPoint(CE::CT_NORMAL, {0, 0, 0}, row.normal, row.normal, 0.0f, nullptr, nullptr, TP::TP_ONTRI,
                          verts, false);
        for (mVec3& v : verts)
            v.x += 10.0f;  // the next face lies elsewhere
    }
    ASSERT_EQ(e.m_nContacts[CE::CT_NORMAL], 4);
    EXPECT_TRUE(e.ClampContactNormals(0, 30, 10, false));
    ASSERT_EQ(e.m_nContacts[CE::CT_NORMAL], 7);
    for (int i = 1; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(e.m_pContacts[CE::CT_NORMAL][3 + i].normal.ApproxEqual(rows[i].copy, 1e-6f));
        EXPECT_EQ(e.m_pContacts[CE::CT_NORMAL][3 + i].verts[0], e.m_pContacts[CE::CT_NORMAL][i].verts[0]);
    }
}

}  // namespace
