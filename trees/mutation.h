// Mutation handling: every tree born in the garden (loop child, split child,
// scattered copy) passes through HandleMutation right after it was made. The
// child always receives copies of its parent's part images; with the parent's
// mutation chance it becomes a mutant, is crossed with another tree of the
// garden, its part colours drift, one part is grafted with projection material
// from prj_data, and it may be archived as a tree file.
#pragma once

namespace sylvane {

struct Tree;

// Runs mutation handling for the new child of parent. Returns 0.
int HandleMutation(Tree& parent, Tree& child);

}  // namespace sylvane
