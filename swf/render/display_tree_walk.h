#pragma once
// Draws a stage's display tree with a RenderContext: depth order, world matrices and colour
// transforms composed down the tree, masks by clip depth (nested), blend modes and filters in
// groups, invisible objects skipped (a mask draws whether visible or not: only its area counts).

#include "swf/render/render_context.h"
#include "swf/runtime/character_objects.h"
#include "swf/runtime/stage.h"

namespace swf::render {

// Clears the target with the stage's background, then draws the tree. Objects wholly outside
// `visible` (device pixels of the target; empty: no limit) are skipped.
void drawStage(RenderContext& context, const runtime::Stage& stage, QRectF visible = {});
// Draws one object and what it holds, under the given parent transforms.
void drawDisplayObject(RenderContext& context, const runtime::DisplayObject& object, const Matrix& parentWorld,
                       const ColorTransform& parentColors);

// The state the renderer draws an edit text field in (text, colours, scroll).
TextFieldState editTextState(const runtime::EditTextObject& field);

// The format layer's records as the renderer's.
BlendMode renderBlendMode(swf::BlendMode mode);
std::vector<Filter> renderFilters(const std::vector<swf::Filter>& filters);

}  // namespace swf::render
