#include "eEngine/eColliderEllipse.h"

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "worldTestSupport.h"

namespace {

using TP = eCollisionContact::eColTriPos;
using CE = eColliderEllipse;

const mVec3 kTri[3] = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}};

// A collider at the origin moving down 1 unit, unit radii.
std::unique_ptr<CE> Falling()
{
    auto e = std::make_unique<CE>();
    e->Set({0, 0, 0}, 1.0f, {0, 0, -1}, {1, 1, 1});
    return e;
}

void AddAt(CE* e, float dist, TP pos = TP::TP_ONTRI, const mVec3* verts = kTri)
{
    e->AddContactPoint(CE::CT_NORMAL, {0, 0, 0}, {0, 0, 1}, {0, 0, 1}, dist, nullptr, nullptr, pos, verts, false);
}

TEST(eColliderEllipseTest, SetWorksInTheScaledSpaceOfTheRadii)
{
    CE e;
    e.Set({1, 2, 4}, 3.0f, {0, 0, 1}, {0.5f, 0.5f, 1.0f});
    EXPECT_EQ(e.m_position, mVec3(2, 4, 4));
    EXPECT_EQ(e.m_moveDir, mVec3(0, 0, 1));
    EXPECT_FLOAT_EQ(e.m_fMoveDist, 3.0f);
    EXPECT_FLOAT_EQ(e.m_fColZeroTol, 0.002f);  // 0.001 in units of the narrowest axis
    EXPECT_EQ(e.m_prevGoodDir, e.m_moveDir);
    e.Set({0, 0, 0}, 2.0f, {0.6f, 0.8f, 0}, {0.5f, 2.0f, 1.0f});  // (1.2, 1.6) becomes (2.4, 0.8)
    EXPECT_NEAR(e.m_fMoveDist, 2.5298f, 1e-4f);
    EXPECT_NEAR(e.m_moveDir.x / e.m_moveDir.y, 3.0f, 1e-5f);
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

TEST(eColliderEllipseTest, BlockingContactsKeepOnlyTheNearest)
{
    auto e = Falling();
    // A normal across the move enters nothing: not admitted as blocking, but
    // a touch contact takes it.
    e->AddContactPoint(CE::CT_NORMAL, {0, 0, 0}, {1, 0, -0.00005f}, {1, 0, 0}, 0.1f, nullptr, nullptr,
                       TP::TP_ONEDGE0_1, kTri, false);
    EXPECT_EQ(e->m_nContacts[CE::CT_NORMAL], 0);
    e->AddContactPoint(CE::CT_TOUCH, {0, 0, 0}, {1, 0, 0}, {1, 0, 0}, 0.1f, nullptr, nullptr, TP::TP_ONTRI, kTri,
                       false);
    EXPECT_EQ(e->m_nContacts[CE::CT_TOUCH], 1);

    const mVec3 other[3] = {{9, 0, 0}, {13, 0, 0}, {9, 4, 0}};
    const mVec3 third[3] = {{0, 9, 0}, {4, 9, 0}, {0, 13, 0}};
    AddAt(e.get(), 0.5f);
    AddAt(e.get(), 0.2f, TP::TP_ONTRI, other);
    AddAt(e.get(), 0.2f, TP::TP_ONTRI, third);
    ASSERT_EQ(e->m_nContacts[CE::CT_NORMAL], 2);
    EXPECT_EQ(e->m_pContacts[CE::CT_NORMAL][0].verts[0], other[0]);  // older first
    EXPECT_EQ(e->m_pContacts[CE::CT_NORMAL][1].verts[0], third[0]);
    EXPECT_FLOAT_EQ(e->m_fTravel, 0.2f);
}

TEST(eColliderEllipseTest, ListsHoldThirtyTwo)
{
    auto e = Falling();
    mVec3 tris[34][3];
    for (int i = 0; i < 34; ++i)
        for (int k = 0; k < 3; ++k)
            tris[i][k] = kTri[k] + mVec3(10.0f * i, 0, 0);
    for (int i = 0; i < 33; ++i) {
        AddAt(e.get(), 0.5f, TP::TP_ONTRI, tris[i]);
        e->AddContactPoint(CE::CT_EMBED, {0, 0, 0}, {0, 0, 1}, {0, 0, 1}, 0.5f, nullptr, nullptr, TP::TP_ONTRI,
                           tris[i], false);
    }
    EXPECT_EQ(e->m_nContacts[CE::CT_EMBED], 32);
    ASSERT_EQ(e->m_nContacts[CE::CT_NORMAL], 32);
    EXPECT_EQ(e->m_pContacts[CE::CT_NORMAL][31].verts[0], tris[31][0]);  // the 33rd was cut off
    AddAt(e.get(), 0.25f, TP::TP_ONTRI, tris[33]);
    ASSERT_EQ(e->m_nContacts[CE::CT_NORMAL], 1);
    EXPECT_EQ(e->m_pContacts[CE::CT_NORMAL][0].verts[0], tris[33][0]);
}

TEST(eColliderEllipseTest, OneFeatureSharedByNeighboursGivesOneContact)
{
    // Two triangles sharing the edge (0,0,0)-(4,0,0), the second listing it
    // the other way round.
    const mVec3 a[3] = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}};
    const mVec3 b[3] = {{4, 0, 0}, {0, 0, 0}, {0, -4, 0}};
    const struct {
        const char* why;
        TP first;
        TP second;
        int expected;
    } rows[] = {
        {"the shared edge from both sides", TP::TP_ONEDGE0_1, TP::TP_ONEDGE0_1, 1},
        {"a face has the edge", TP::TP_ONTRI, TP::TP_ONEDGE0_1, 1},
        {"the face suppresses an older edge", TP::TP_ONEDGE0_1, TP::TP_ONTRI, 1},
        {"the shared corner twice", TP::TP_ONPOINT0, TP::TP_ONPOINT1, 1},
        {"an edge ends at the corner", TP::TP_ONPOINT1, TP::TP_ONEDGE0_1, 1},
        {"two faces", TP::TP_ONTRI, TP::TP_ONTRI, 2},
        {"an unshared edge and corner", TP::TP_ONEDGE1_2, TP::TP_ONPOINT2, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        auto e = Falling();
        AddAt(e.get(), 0.3f, row.first, a);
        AddAt(e.get(), 0.3f, row.second, b);
        ASSERT_EQ(e->m_nContacts[CE::CT_NORMAL], row.expected);
        if (row.expected == 1 && (row.first == TP::TP_ONTRI || row.second == TP::TP_ONTRI)) {
            EXPECT_EQ(e->m_pContacts[CE::CT_NORMAL][0].trianglePos, TP::TP_ONTRI);
        }
    }
    auto e = Falling();
    AddAt(e.get(), 0.3f, TP::TP_ONTRI, a);
    AddAt(e.get(), 0.3f, TP::TP_ONTRI, a);  // the same face again
    EXPECT_EQ(e->m_nContacts[CE::CT_NORMAL], 1);
}

TEST(eColliderEllipseTest, ListBookkeeping)
{
    auto e = Falling();
    eTestGeom g;
    cBase* object = &g;
    AddAt(e.get(), 0.4f);
    e->SaveContacts();
    e->SaveContacts();
    EXPECT_EQ(e->m_nContacts[CE::CT_SAVED], 2);
    e->AddSavedContacts();
    EXPECT_EQ(e->m_nContacts[CE::CT_NORMAL], 3);  // plain copies, no validation
    for (float d : {0.1f, 0.4f, 0.7f})
        e->AddContactPoint(CE::CT_TOUCH, {0, 0, 0}, {0, 0, 1}, {0, 0, 1}, d, nullptr, nullptr, TP::TP_ONTRI, kTri,
                           false);
    e->VerifyTouchContacts();  // a touch beyond the blocking contact at 0.4 is never reached
    ASSERT_EQ(e->m_nContacts[CE::CT_TOUCH], 2);
    EXPECT_FLOAT_EQ(e->m_pContacts[CE::CT_TOUCH][1].fDistanceToContact, 0.4f);
    EXPECT_FALSE(e->IsGeomEmbedded(object));
    e->AddContactPoint(CE::CT_EMBED, {0, 0, 0}, {0, 0, 1}, {0, 0, 1}, 0.5f, object, nullptr, TP::TP_ONTRI, kTri,
                       false);
    EXPECT_TRUE(e->IsGeomEmbedded(object));
}

TEST(eColliderEllipseTest, WorldContactUndoesTheScaling)
{
    CE e;
    e.Set({0, 0, 0}, 1.0f, {0, 0, -1}, {1, 1, 2});
    const float s = 0.70710677f;
    e.AddContactPoint(CE::CT_TOUCH, {0, 0, 1}, {0, 0, 1}, {s, 0, s}, 0.5f, nullptr, nullptr,
                      TP::TP_ONEDGE0_1, kTri, false);
    eCollisionContact w;
    e.GetWorldContact(CE::CT_TOUCH, 0, &w);
    EXPECT_EQ(w.normal, mVec3(0, 0, 1));
    EXPECT_EQ(w.position, mVec3(0, 0, 2));
    EXPECT_NEAR(w.triNormal.x, 0.8944272f, 1e-6f);  // (1, 0, 1/2) normalised
    EXPECT_NEAR(w.triNormal.z, 0.4472136f, 1e-6f);
    EXPECT_FLOAT_EQ(w.fDistanceToContact, 0.5f);
}

TEST(eColliderEllipseTest, SlideOfOneContactDropsTheNormalPart)
{
    CE e;
    e.Set({0, 0, 0}, 1.0f, {-1, 0, 0}, {1, 1, 1});
    mVec3 v(-2, 3, 0);
    e.FindSlideDirection(&v);
    EXPECT_EQ(v, mVec3(-2, 3, 0));  // no contact
    e.AddContactPoint(CE::CT_NORMAL, {0, 0, 0}, {1, 0, 0}, {1, 0, 0}, 0.0f, nullptr, nullptr, TP::TP_ONTRI, kTri,
                      false);
    e.FindSlideDirection(&v);
    EXPECT_EQ(v, mVec3(0, 3, 0));
}

TEST(eColliderEllipseTest, ClampContactNormalsAppendsLevelledCopies)
{
    const float s20 = 0.34202015f, c20 = 0.9396926f, s60 = 0.8660254f, c60 = 0.5f;
    const struct {
        const char* why;
        mVec3 normal;
        TP pos;
        float minPitch, maxPitch, pitch;
        bool bFacesOnly;
        bool bResult;
        mVec3 copy{0, 0, 0};
    } rows[] = {
        {"a 20 degree rise becomes horizontal", {0, -c20, s20}, TP::TP_ONTRI, 0, 30, 0, false, true, {0, -1, 0}},
        {"a 60 degree rise is left", {0, -c60, s60}, TP::TP_ONTRI, 0, 30, 0, false, false, {}},
        {"steep faces become vertical", {-c60, 0, s60}, TP::TP_ONTRI, 30, 90, 90, true, true, {0, 0, 1}},
        {"faces only leaves an edge", {-c60, 0, s60}, TP::TP_ONEDGE1_2, 30, 90, 90, true, false, {}},
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
        if (row.bResult) {
            EXPECT_TRUE(e.m_pContacts[CE::CT_NORMAL][1].normal.ApproxEqual(row.copy, 1e-6f));
        }
    }
    // Scaled space: a world normal rising 20 degrees on a flat ellipsoid.
    CE e;
    e.Set({0, 0, 0}, 1.0f, {0, 0, -1}, {1, 1, 0.25f});
    mVec3 n(0, c20, s20 * 0.25f);  // world (0, c20, s20) taken to scaled space
    n.Normalize();
    e.AddContactPoint(CE::CT_NORMAL, {0, 0, 0}, n, n, 0.0f, nullptr, nullptr, TP::TP_ONTRI, kTri, false);
    EXPECT_TRUE(e.ClampContactNormals(0, 30, 0, false));
    EXPECT_TRUE(e.m_pContacts[CE::CT_NORMAL][1].normal.ApproxEqual({0, 1, 0}, 1e-6f));
}

TEST(eColliderTest, IgnoresNodesAndTheirChildren)
{
    eTestGeom parent, child, grandChild, other;
    child.m_pParent = &parent;
    grandChild.m_pParent = &child;
    eCollider c;
    EXPECT_EQ(c.m_nCollisionMask, 0xFFFFFFFFu);
    EXPECT_TRUE(c.AddIgnore(&child, false));
    EXPECT_TRUE(c.IsIgnored(&child));
    EXPECT_FALSE(c.IsIgnored(&grandChild));
    EXPECT_TRUE(c.AddIgnore(&parent, true));
    EXPECT_FALSE(c.AddIgnore(&other, true));  // two entries at most
    EXPECT_TRUE(c.IsIgnored(&grandChild));
    EXPECT_FALSE(c.IsIgnored(&other));
    child.m_pParent = grandChild.m_pParent = nullptr;
}

}  // namespace
