// The HUD root and its elements: who gets the mouse, capture while
// dragging, drag, push and glide end positions, what a frame draws.
#include "hud/hud_root.h"

#include <gtest/gtest.h>

#include "hud/colour_editor.h"
#include "hud_fixture.h"

namespace tnx::hud::test {
namespace {

using Mouse = HudFixture;

TEST_F(Mouse, TheFrontMostElementUnderThePointerTakesTheClickAndComesToTheFront) {
    HudElement& back = addElement(1, -1, 1, 10);
    HudElement& front = addElement(2, -0.5f, 0.8f, 10);  // overlaps `back`, later added so behind it
    ASSERT_EQ(root_->zPosition(&back), 0);
    // Over both: z-order decides.
    const int x = pixelX(0.0f, 10), y = pixelY(0.6f, 10);
    EXPECT_TRUE(move(x, y));
    EXPECT_EQ(root_->atZ(0), &back);
    EXPECT_TRUE(back.has(HudElement::kHover));
    EXPECT_FALSE(front.has(HudElement::kHover));
    // Only over the second one: it comes to the front, the other keeps its order.
    EXPECT_TRUE(move(pixelX(0.9f, 10), pixelY(0.4f, 10)));
    EXPECT_EQ(root_->atZ(0), &front);
    EXPECT_EQ(root_->atZ(1), &back);
    EXPECT_EQ(root_->hovered(), 0);
    // Over nothing: not consumed.
    EXPECT_FALSE(move(pixelX(-6, 10), pixelY(-3, 10)));
    EXPECT_EQ(root_->hovered(), -1);
    EXPECT_FALSE(front.has(HudElement::kHover));
}

TEST_F(Mouse, AClickOnAnElementIsConsumedEvenWhenItDoesNothingWithIt) {
    HudElement& e = addElement(1, -1, 1, 10);
    e.setFlags(e.flags() | HudElement::kToggled);
    const int x = centreX(e), y = centreY(e);
    EXPECT_TRUE(move(x, y));
    EXPECT_TRUE(send(win::kWmLButtonDown, x, y, win::kMkLButton));
    EXPECT_TRUE(send(win::kWmLButtonUp, x, y));
    EXPECT_FALSE(e.has(HudElement::kToggled));  // a click without dragging flips it
    EXPECT_TRUE(send(win::kWmLButtonDblClk, x, y));
    EXPECT_TRUE(send(win::kWmMButtonDown, x, y));
    // Keys and the like are not mouse messages.
    EXPECT_FALSE(root_->mouse({0, win::kWmKeyDown, 'A', win::makeLParam(x, y)}));
}

TEST_F(Mouse, NothingIsHitInTheFullScreenSaverOrWithTheHudHidden) {
    HudElement& e = addElement(1, -1, 1, 10);
    const int x = centreX(e), y = centreY(e);
    app::processState().saverMode = app::SaverMode::FullScreenSaver;
    EXPECT_FALSE(move(x, y));
    EXPECT_FALSE(send(win::kWmLButtonDown, x, y, win::kMkLButton));
    app::processState().saverMode = app::SaverMode::InteractiveViewer;
    send(win::kWmLButtonUp, x, y);
    settings::optionBlock().set(settings::OptionBlock::kHudShown, 0);
    EXPECT_FALSE(move(x, y));
    e.show(0);
    settings::optionBlock().set(settings::OptionBlock::kHudShown, 1);
    EXPECT_FALSE(move(x, y));  // the element itself hidden
    e.show(2);
    EXPECT_TRUE(move(x, y));
}

TEST_F(Mouse, ALeftDragMovesTheElementWithThePointerAtItsDepthAndDoesNotToggleIt) {
    HudElement& e = addElement(1, -1, 1, 10);
    const float x0 = e.x(), y0 = e.y();
    const int px = centreX(e), py = centreY(e);
    drag(px, py, px + 60, py + 30, win::kMkLButton, 6);
    const float z = 10.001f;  // the button pushed it back by a hair while held
    EXPECT_NEAR(e.x(), x0 + 60 * root_->pixelScale() * z, 1e-4);
    EXPECT_NEAR(e.y(), y0 - 30 * root_->pixelScale() * z, 1e-4);
    EXPECT_FALSE(e.has(HudElement::kToggled));
    EXPECT_FALSE(e.has(HudElement::kLeftDragged));
    settle();
    EXPECT_FLOAT_EQ(e.depth(), 10.0f);  // glides back to its depth, stays where it was put
    EXPECT_NEAR(e.x(), x0 + 60 * root_->pixelScale() * z, 1e-4);
}

TEST_F(Mouse, TheDraggedElementKeepsTheMouseUntilTheButtonGoesUp) {
    HudElement& a = addElement(1, 4.0f, 1, 10);
    HudElement& b = addElement(2, -7.0f, 1, 10);
    const int px = centreX(a), py = centreY(a);
    move(px, py);
    send(win::kWmLButtonDown, px, py, win::kMkLButton);
    EXPECT_EQ(root_->atZ(root_->captured()), &a);
    // A first move that leaves the element at once still drags it.
    const float ax = a.x();
    move(px - 200, py, win::kMkLButton);
    EXPECT_EQ(root_->atZ(root_->captured()), &a);
    EXPECT_NEAR(a.x(), ax - 200 * root_->pixelScale() * a.depth(), 1e-3);
    // Far past the right edge: the element stops there, the pointer leaves it,
    // and the messages still go to it.
    move(px + 3000, py, win::kMkLButton);
    EXPECT_EQ(root_->atZ(root_->captured()), &a);
    EXPECT_NEAR(a.targetX(), root_->halfExtentX() * a.targetDepth() - a.width(), 1e-4);
    // Back across the other element: still captured, the other is not moved.
    const float bx = b.x();
    move(centreX(b), centreY(b), win::kMkLButton);
    EXPECT_EQ(root_->atZ(root_->captured()), &a);
    EXPECT_FLOAT_EQ(b.x(), bx);
    EXPECT_TRUE(send(win::kWmLButtonUp, centreX(b), centreY(b)));
    EXPECT_EQ(root_->captured(), -1);
}

TEST_F(Mouse, ABothButtonDragPushesTheElementWithinFiveToFiftyFiveAndKeepsItOnScreen) {
    HudElement& e = addElement(1, 5.0f, 3.0f, 10);
    const int px = centreX(e), py = centreY(e);
    drag(px, py, px, py - 200, win::kMkLButton | win::kMkRButton, 4);
    EXPECT_NEAR(e.targetDepth(), 10.002f + 2.0f, 1e-4);  // 0.01 per pixel upwards
    settle();
    drag(centreX(e), centreY(e), centreX(e), centreY(e) + 5000, win::kMkLButton | win::kMkRButton, 2);
    EXPECT_FLOAT_EQ(e.targetDepth(), HudElement::kMinDepth);
    settle();
    drag(centreX(e), centreY(e), centreX(e), centreY(e) - 20000, win::kMkLButton | win::kMkRButton, 2);
    EXPECT_FLOAT_EQ(e.targetDepth(), HudElement::kMaxDepth);
    settle();
    const float X = root_->halfExtentX() * e.depth(), Y = root_->halfExtentY() * e.depth();
    EXPECT_GE(e.x(), -X);
    EXPECT_LE(e.x() + e.width(), X + 1e-4);
    EXPECT_LE(e.y(), Y + 1e-4);
    EXPECT_GE(e.y() - e.height(), -Y - 1e-4);
    // Neither button-up toggled it or opened the colour editor.
    EXPECT_FALSE(e.has(HudElement::kToggled));
    EXPECT_EQ(root_->findById(HudRoot::kColourEditorId), nullptr);
}

TEST(HudElementGlide, CoversThirtyPercentOfTheRestPerFrameAndSnapsAtTheEnd) {
    HudElement e(1);
    e.init(HudElement::kNoTexture, 1, 0.25f, 0, 0, 0, 0, 0);
    e.placeAt(0, 0, 10);
    e.setTarget(10, -5, 20);
    e.animate(HudElement::kAnimationStep);
    EXPECT_FLOAT_EQ(e.x(), 3.0f);
    EXPECT_FLOAT_EQ(e.y(), -1.5f);
    EXPECT_FLOAT_EQ(e.depth(), 13.0f);
    int frames = 1;
    while (e.animating() && frames < 1000) {
        e.animate(HudElement::kAnimationStep);
        ++frames;
    }
    EXPECT_FALSE(e.animating());
    EXPECT_EQ(e.x(), 10.0f);
    EXPECT_EQ(e.y(), -5.0f);
    EXPECT_EQ(e.depth(), 20.0f);
    EXPECT_LT(frames, 60);
}

using Draw = HudFixture;

TEST_F(Draw, EachShownElementDrawsItsFrameThenItsGlyphsBackToFront) {
    HudElement& a = addElement(1, -1, 1, 10);
    HudElement& b = addElement(2, 3, 1, 12);
    HudElement& hidden = addElement(3, 3, -2, 12);
    a.setText("Alpha", 0);
    hidden.show(0);
    device_.setCaptureGeometry(true);
    device_.setRenderState(gfx::RenderState::ZEnable, 1);
    root_->draw(device_, 0.02f);
    const auto& d = device_.draws();
    ASSERT_EQ(d.size(), 3u);  // b's frame (no text), a's frame, a's glyphs
    EXPECT_EQ(d[0].primitiveCount, 10u);
    EXPECT_EQ(d[0].texture0, nullptr);
    EXPECT_FLOAT_EQ(d[0].world.m[3][0], b.x());
    EXPECT_FLOAT_EQ(d[1].world.m[3][2], a.depth());
    EXPECT_EQ(d[2].texture0, font_->texture());
    EXPECT_EQ(d[2].primitiveCount, 2u * 5u);
    EXPECT_EQ(d[2].fvf, gfx::kFvfPosDiffuseTex1);
    EXPECT_EQ(d[2].stride, 24u);
    EXPECT_FALSE(d[2].zEnable);
    // The shared index table: quad i is (4i, 4i+2, 4i+1), (4i+1, 4i+2, 4i+3).
    ASSERT_GE(d[2].indices.size(), 12u);
    EXPECT_EQ(d[2].indices[6], 4);
    EXPECT_EQ(d[2].indices[7], 6);
    EXPECT_EQ(d[2].indices[8], 5);
    EXPECT_EQ(d[2].indices[11], 7);
    // The scene's states come back afterwards.
    EXPECT_EQ(device_.renderState(gfx::RenderState::ZEnable), 1u);
}

TEST_F(Draw, TheViewMatrixIsUndoneSoElementsStayInFrontOfTheCamera) {
    HudElement& a = addElement(1, -1, 1, 10);
    const math::Matrix view = math::matrixLookAtLH({30, 40, -200}, {0, 0, 0}, {0, 1, 0});
    device_.setTransform(gfx::TransformType::View, view);
    root_->draw(device_, 0.02f);
    ASSERT_FALSE(device_.draws().empty());
    const math::Matrix worldView = device_.draws()[0].world * view;
    const math::Vec3 p = math::transformCoord({0, 0, 0}, worldView);
    EXPECT_NEAR(p.x, a.x(), 1e-3);
    EXPECT_NEAR(p.y, a.y(), 1e-3);
    EXPECT_NEAR(p.z, a.depth(), 1e-3);
}

TEST_F(Draw, NothingIsDrawnInTheFullScreenSaverOrWithTheHudHidden) {
    addElement(1, -1, 1, 10);
    app::processState().saverMode = app::SaverMode::FullScreenSaver;
    root_->draw(device_, 0.02f);
    EXPECT_TRUE(device_.draws().empty());
    app::processState().saverMode = app::SaverMode::InteractiveViewer;
    settings::optionBlock().set(settings::OptionBlock::kHudShown, 0);
    root_->draw(device_, 0.02f);
    EXPECT_TRUE(device_.draws().empty());
}

TEST_F(Draw, TheGlowRisesWhileHoveredToItsLimitAndFadesOut) {
    HudElement& a = addElement(1, -1, 1, 10);
    move(centreX(a), centreY(a));
    root_->draw(device_, 0.1f);
    EXPECT_EQ(a.glow(), 3000);
    EXPECT_EQ(device_.draws().size(), 2u);  // frame and the ring
    root_->draw(device_, 0.1f);
    EXPECT_EQ(a.glow(), HudElement::kMaxGlow);
    move(pixelX(-6, 10), pixelY(-3, 10));
    root_->draw(device_, 0.5f);
    EXPECT_EQ(a.glow(), 500);
    root_->draw(device_, 0.5f);
    EXPECT_EQ(a.glow(), 0);
    device_.clearRecord();
    root_->draw(device_, 0.5f);
    EXPECT_EQ(device_.draws().size(), 1u);  // the frame alone
}

TEST_F(Draw, AFiftyFirstElementIsRefused) {
    for (int i = 0; i < HudRoot::kCapacity; ++i) {
        auto e = std::make_unique<HudElement>(i);
        ASSERT_EQ(root_->add(std::move(e)), i);
    }
    EXPECT_EQ(root_->add(std::make_unique<HudElement>(99)), -1);
    EXPECT_EQ(root_->count(), HudRoot::kCapacity);
}

using Editor = HudFixture;

TEST_F(Editor, ARightClickOpensTheEditorInFrontAndAnotherClickKeepsItThere) {
    HudElement& a = addElement(1, -6, 3, 10);
    HudElement& b = addElement(2, 3, -2, 10);
    click(a, true);
    auto* editor = dynamic_cast<ColourEditor*>(root_->findById(HudRoot::kColourEditorId));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(root_->atZ(0), editor);
    EXPECT_EQ(editor->owner(), &a);
    click(b);
    EXPECT_EQ(root_->atZ(0), editor);
    EXPECT_EQ(root_->atZ(1), &b);
    // A second right click replaces it: still one editor.
    click(b, true);
    int editors = 0;
    for (int i = 0; i < root_->count(); ++i) editors += root_->element(i)->id() == HudRoot::kColourEditorId;
    EXPECT_EQ(editors, 1);
    EXPECT_EQ(static_cast<ColourEditor*>(root_->findById(HudRoot::kColourEditorId))->owner(), &b);
}

TEST_F(Editor, ASliderSetsOneByteOfTheOwnersColourAndCloseRemovesTheEditor) {
    HudElement& a = addElement(1, -6, 3, 10);
    a.setText("abc", 0);
    click(a, true);
    auto* editor = static_cast<ColourEditor*>(root_->findById(HudRoot::kColourEditorId));
    settle();
    // Drag along the red slider of the text colour (third colour) to its right end.
    const float z = editor->depth();
    const float row = -0.04f - (4 * 2 + 1 + 0.5f) * ColourEditor::kRowHeight;
    const int y = pixelY(editor->y() + row, z);
    const int x0 = pixelX(editor->x() + ColourEditor::sliderLeft() + 0.1f, z);
    const int x1 = pixelX(editor->x() + ColourEditor::sliderRight() + 0.5f, z);
    const float ex = editor->x();
    const uint32_t before = a.textColour();
    drag(x0, y, x1, y, win::kMkLButton, 3);
    EXPECT_EQ(a.textColour(), (before & 0xFF00FFFFu) | 0x00FF0000u);
    EXPECT_FLOAT_EQ(editor->x(), ex);  // adjusting a slider does not move the editor
    // The text shows the new colour at once.
    EXPECT_EQ(a.glyphVertices()[0].diffuse, a.textColour());
    // Close.
    const float titleTop = -0.04f - 16 * ColourEditor::kRowHeight - 0.04f;
    const int cx = pixelX(editor->x() + ColourEditor::sliderRight() - 0.2f, z);
    const int cy = pixelY(editor->y() + titleTop - ColourEditor::kRowHeight / 2, z);
    move(cx, cy);
    send(win::kWmLButtonDown, cx, cy, win::kMkLButton);
    send(win::kWmLButtonUp, cx, cy);
    EXPECT_EQ(root_->findById(HudRoot::kColourEditorId), nullptr);
}

TEST_F(Editor, RemovingTheOwnerTakesItsEditorWithIt) {
    HudElement& a = addElement(1, -6, 3, 10);
    click(a, true);
    ASSERT_NE(root_->findById(HudRoot::kColourEditorId), nullptr);
    root_->removeAllWithId(1);
    EXPECT_EQ(root_->count(), 0);
}

}  // namespace
}  // namespace tnx::hud::test
