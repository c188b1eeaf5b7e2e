#pragma once
// What each kind of view adds to its object in the render tree, found through one
// table (ViewKinds.cpp): a label its text in the platform's lines, an image view its
// picture, a table cell and a search bar their state and the marks they set for
// the views under them, a table the table its rows are in, a material its look.
// A new kind of view the page draws is one entry of that table, written with the
// fields the page already draws (docs/simulator.md, "The render tree").

#include "sim/render/RenderContext.h"

namespace kavro::sim {

// The members the view's kind adds (the first entry of the table that the view is);
// what it sets for the views under it goes into `subtree`.
void writeViewKind(RenderPass& pass, const PlacedView& placed, RenderScope& subtree);
// The members marks an ancestor set add: a search bar's field draws its magnifying
// glass, a cell's reorder control is named as such.
void writeViewMarks(RenderPass& pass, const PlacedView& placed, const RenderScope& scope);

}  // namespace kavro::sim
