#pragma once
// What a screen reader finds in a view of the render tree ("ax"): its identity (a
// number the view keeps while it lives), role, name, value and state. Elements'
// parts carry none (they are read as part of the element), except what a row holds
// besides its labels (a switch); containers that group elements (a table, an
// alert, a sheet) carry a role too.

#include "sim/render/RenderContext.h"

namespace kavro::sim {

// Writes the view's "ax" member when it has one, and marks the subtree as lying
// inside an element or a row.
void writeAccessibility(RenderPass& pass, const UIView& view, bool isSheet, RenderScope& subtree);

}  // namespace kavro::sim
