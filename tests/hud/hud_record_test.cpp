// "savecbuttons" and "savecbutton": round trips, records matched by id in any
// order, and damaged records that must leave elements at their defaults and
// on screen without reading past a record.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "hud/hud_builder.h"
#include "hud/hud_clock.h"
#include "hud_fixture.h"
#include "platform/io/byte_io.h"
#include "support/record_bytes.h"

namespace tnx::hud::test {
namespace {

using tnx::test::Bytes;
using tnx::test::makeRecord;

class Records : public HudFixture {
protected:
    // A fresh root with the standard elements, as at start-up.
    std::unique_ptr<HudRoot> freshRoot() {
        auto r = std::make_unique<HudRoot>(fov(), kWidth, kHeight, font_.get(), tracker_);
        HudBuilder::build(*r);
        return r;
    }
    Bytes written(HudRoot& r) {
        Bytes out;
        r.writeRecord(out);
        return out;
    }
    // The fixed part of one element record, to be damaged by the test.
    static Bytes elementBody(int32_t id, float x, float y, float z, float w = 2.7f, float h = 0.25f) {
        Bytes b(HudElement::kRecordFixedSize, 0);
        io::storeI32(&b[4], HudElement::kFontTexture);
        io::storeU32(&b[8], 0x23);
        for (int i = 0; i < 2; ++i) {
            io::storeF32(&b[16 + 12 * i], x);
            io::storeF32(&b[20 + 12 * i], y);
            io::storeF32(&b[24 + 12 * i], z);
        }
        io::storeF32(&b[40], w);
        io::storeF32(&b[44], h);
        io::storeI32(&b[52], id);
        io::storeU32(&b[60], 0x11223344);
        return b;
    }
    static Bytes rootRecord(const std::vector<Bytes>& children, uint32_t stamp = HudRoot::kRecordStamp) {
        Bytes body(HudRoot::kRecordFixedSize, 0);
        io::storeU32(&body[4], stamp);
        for (const Bytes& c : children) body.insert(body.end(), c.begin(), c.end());
        return makeRecord(HudRoot::kRecordName, body);
    }
};

TEST_F(Records, PlacementColoursAndToggleStateComeBackAndTheRestIsRebuilt) {
    auto a = freshRoot();
    HudElement* clock = a->findById(HudBuilder::kClock);
    HudElement* readout = a->findById(HudBuilder::kReadout2);
    readout->setTarget(-3.0f, 2.0f, 12.0f);
    readout->setFlags(readout->flags() | HudElement::kToggled | HudElement::kHover | HudElement::kLeftDown);
    *readout->colourLocations()[2] = 0xFF123456;
    readout->setOwnerData(77);
    clock->setFlags(clock->flags() & ~HudElement::kToggled);
    Bytes bytes = written(*a);
    EXPECT_EQ(io::loadU32(bytes.data()), bytes.size());

    auto b = freshRoot();
    ASSERT_EQ(b->readRecord(bytes), settings::kRecordApplied);
    HudElement* r2 = b->findById(HudBuilder::kReadout2);
    EXPECT_FLOAT_EQ(r2->x(), -3.0f);  // current = target
    EXPECT_FLOAT_EQ(r2->targetY(), 2.0f);
    EXPECT_FLOAT_EQ(r2->depth(), 12.0f);
    EXPECT_EQ(r2->textColour(), 0xFF123456u);
    EXPECT_EQ(r2->ownerData(), 77);
    // Only the toggle state survives; shown and enabled always.
    EXPECT_EQ(r2->flags(), HudElement::kToggled | HudElement::kShown | HudElement::kEnabled);
    EXPECT_TRUE(r2->animating());
    EXPECT_FALSE(b->findById(HudBuilder::kClock)->has(HudElement::kToggled));
    // Writing it again gives the same bytes but for the run-time words.
    Bytes again = written(*b);
    EXPECT_EQ(again.size(), bytes.size());
}

TEST_F(Records, RecordsInAnotherOrderStillReachTheirOwnElements) {
    std::vector<Bytes> kids;
    for (int32_t id : {HudBuilder::kStatus, HudBuilder::kClock, HudBuilder::kReadout3, HudBuilder::kReadout1})
        kids.push_back(makeRecord(HudElement::kRecordName, elementBody(id, -1.0f - float(id & 0xF), 1.0f, 20.0f)));
    auto r = freshRoot();
    const float untouched = r->findById(HudBuilder::kReadout2)->x();
    ASSERT_EQ(r->readRecord(rootRecord(kids)), settings::kRecordApplied);
    EXPECT_FLOAT_EQ(r->findById(HudBuilder::kReadout1)->x(), -1.0f);
    EXPECT_FLOAT_EQ(r->findById(HudBuilder::kReadout3)->x(), -3.0f);
    EXPECT_FLOAT_EQ(r->findById(HudBuilder::kClock)->x(), -4.0f);
    EXPECT_FLOAT_EQ(r->findById(HudBuilder::kStatus)->x(), -10.0f);
    EXPECT_FLOAT_EQ(r->findById(HudBuilder::kReadout2)->x(), untouched);
}

TEST_F(Records, GlowOwnerDataAndColoursAreReadFromAndWrittenToTheirOwnOffsets) {
    Bytes body = elementBody(HudBuilder::kReadout1, -2, 1, 20);
    io::storeI32(&body[12], 1234);
    for (size_t at = 56; at <= 72; at += 4) io::storeU32(&body[at], 0xD0000000u + uint32_t(at));
    auto r = freshRoot();
    ASSERT_EQ(r->readRecord(rootRecord({makeRecord(HudElement::kRecordName, body)})), settings::kRecordApplied);
    HudElement* e = r->findById(HudBuilder::kReadout1);
    EXPECT_EQ(std::tuple(e->glow(), uint32_t(e->ownerData()), e->faceTop(), e->faceBottom(), e->textColour(),
                         e->frameColour()),
              std::tuple(1234, 0xD0000038u, 0xD000003Cu, 0xD0000040u, 0xD0000044u, 0xD0000048u));
    const Bytes bytes = written(*r);
    const uint8_t* element = &bytes[4 + 13 + HudRoot::kRecordFixedSize + 4 + 12];  // the first child's
    for (size_t at = 56; at <= 72; at += 4) EXPECT_EQ(io::loadU32(element + at), 0xD0000000u + at) << at;
}

TEST_F(Records, RecordsOfOtherKindsOrNamesAreSteppedOver) {
    Bytes list(48, 0);
    io::storeI32(&list[0], HudBuilder::kReadout1);  // a list record with the same id
    std::vector<Bytes> kids = {makeRecord("savecbuttonlist", list), makeRecord("somethingelse", Bytes(108, 0)),
                               makeRecord(HudElement::kRecordName, elementBody(HudBuilder::kReadout1, -2, 1, 20))};
    auto r = freshRoot();
    ASSERT_EQ(r->readRecord(rootRecord(kids)), settings::kRecordApplied);
    EXPECT_FLOAT_EQ(r->findById(HudBuilder::kReadout1)->x(), -2.0f);
}

TEST_F(Records, DamagedElementRecordsLeaveTheirElementsAsTheyWereMade) {
    auto reference = freshRoot();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Bytes shortBody = elementBody(HudBuilder::kReadout1, -2, 1, 20);
    shortBody.resize(104);
    Bytes longBody = elementBody(HudBuilder::kReadout2, -2, 1, 20);
    longBody.resize(112);
    Bytes wrongMode = elementBody(HudBuilder::kReadout3, -2, 1, 20);
    io::storeI32(&wrongMode[4], HudElement::kButtonImage);
    std::vector<Bytes> kids = {
        makeRecord(HudElement::kRecordName, shortBody),
        makeRecord(HudElement::kRecordName, longBody),
        makeRecord(HudElement::kRecordName, wrongMode),
        makeRecord(HudElement::kRecordName, elementBody(HudBuilder::kClock, nan, 1, 20)),
        makeRecord(HudElement::kRecordName, elementBody(HudBuilder::kStatus, -2, 1, inf)),
        makeRecord(HudElement::kRecordName, elementBody(0x7777, -2, 1, 20)),  // no such element
        // Sizes that could cover the screen and keep every click from the globe.
        makeRecord(HudElement::kRecordName, elementBody(HudBuilder::kReadout1, -2, 1, 20, 1e30f, 0.25f)),
        makeRecord(HudElement::kRecordName, elementBody(HudBuilder::kReadout2, -2, 1, 20, 2.7f, -1.0f)),
    };
    auto r = freshRoot();
    ASSERT_EQ(r->readRecord(rootRecord(kids)), settings::kRecordApplied);
    for (int i = 0; i < r->count(); ++i) {
        const HudElement* e = r->element(i);
        const HudElement* d = reference->element(i);
        EXPECT_EQ(e->id(), d->id());
        EXPECT_FLOAT_EQ(e->targetX(), d->targetX()) << std::hex << e->id();
        EXPECT_FLOAT_EQ(e->targetY(), d->targetY()) << std::hex << e->id();
        EXPECT_FLOAT_EQ(e->targetDepth(), d->targetDepth()) << std::hex << e->id();
        EXPECT_EQ(e->faceTop(), d->faceTop()) << std::hex << e->id();
    }
}

TEST_F(Records, AnElementSavedOffScreenComesBackIntoView) {
    std::vector<Bytes> kids = {
        makeRecord(HudElement::kRecordName, elementBody(HudBuilder::kReadout1, 500.0f, -400.0f, 20)),
        makeRecord(HudElement::kRecordName, elementBody(HudBuilder::kReadout2, -1e20f, 1e20f, 1000.0f)),
    };
    auto r = freshRoot();
    r->readRecord(rootRecord(kids));
    settle();
    for (int32_t id : {HudBuilder::kReadout1, HudBuilder::kReadout2}) {
        HudElement* e = r->findById(id);
        for (int i = 0; i < 300; ++i) e->animate(HudElement::kAnimationStep);
        const float X = r->halfExtentX() * e->depth(), Y = r->halfExtentY() * e->depth();
        EXPECT_LE(e->depth(), HudElement::kMaxDepth);
        EXPECT_GE(e->x(), -X - 1e-3) << std::hex << id;
        EXPECT_LE(e->x() + e->width(), X + 1e-3) << std::hex << id;
        EXPECT_LE(e->y(), Y + 1e-3) << std::hex << id;
        EXPECT_GE(e->y() - e->height(), -Y - 1e-3) << std::hex << id;
    }
}

TEST_F(Records, ARootRecordWithAnotherStampOrNameChangesNothing) {
    std::vector<Bytes> kids = {makeRecord(HudElement::kRecordName, elementBody(HudBuilder::kReadout1, -2, 1, 20))};
    auto r = freshRoot();
    const float x = r->findById(HudBuilder::kReadout1)->x();
    EXPECT_EQ(r->readRecord(rootRecord(kids, 156)), settings::kRecordNotMine);
    Bytes renamed = rootRecord(kids);
    renamed[4] = 'x';
    EXPECT_EQ(r->readRecord(renamed), settings::kRecordNameDiffers);
    Bytes shortFixed = makeRecord(HudRoot::kRecordName, Bytes{0, 0, 0, 0, 160, 0, 0, 0});
    EXPECT_EQ(r->readRecord(shortFixed), settings::kRecordNotMine);
    EXPECT_FLOAT_EQ(r->findById(HudBuilder::kReadout1)->x(), x);
}

TEST_F(Records, AChildRunningPastTheRootKeepsWhatCameBeforeAndReadsNoFurther) {
    Bytes good = makeRecord(HudElement::kRecordName, elementBody(HudBuilder::kReadout1, -2, 1, 20));
    Bytes bad = makeRecord(HudElement::kRecordName, elementBody(HudBuilder::kReadout2, -3, 1, 20), 4000);
    Bytes record = rootRecord({good, bad});
    // The root's size itself is right; only the child claims too much.
    auto r = freshRoot();
    const float x2 = r->findById(HudBuilder::kReadout2)->x();
    EXPECT_EQ(r->readRecord(record), settings::kRecordOverrun);
    EXPECT_FLOAT_EQ(r->findById(HudBuilder::kReadout1)->x(), -2.0f);
    EXPECT_FLOAT_EQ(r->findById(HudBuilder::kReadout2)->x(), x2);
    // Every prefix of a good file is read without going past it.
    Bytes whole = written(*r);
    for (size_t n = 0; n < whole.size(); n += 7) {
        Bytes cut(whole.begin(), whole.begin() + long(n));
        auto fresh = freshRoot();
        fresh->readRecord(cut);
    }
}

TEST_F(Records, TheColourEditorIsNeverSavedAndLoadingInTheSaverHidesEverything) {
    auto r = freshRoot();
    auto colours = r->findById(HudBuilder::kReadout1)->colourLocations();
    r->openColourEditor(colours, r->findById(HudBuilder::kReadout1));
    ASSERT_NE(r->findById(HudRoot::kColourEditorId), nullptr);
    Bytes bytes = written(*r);
    EXPECT_EQ(r->findById(HudRoot::kColourEditorId), nullptr);
    EXPECT_EQ(io::loadI32(&bytes[4 + 13 + 28]), r->count());  // the element count word

    app::processState().saverMode = app::SaverMode::FullScreenSaver;
    auto saver = freshRoot();
    saver->readRecord(bytes);
    for (int i = 0; i < saver->count(); ++i) EXPECT_FALSE(saver->element(i)->has(HudElement::kShown));
}

}  // namespace
}  // namespace tnx::hud::test
