#pragma once
// Picks the link of a control by its kind.
#include <memory>

#include "ControlLink.h"

// The link that shows `control` in a window with the id `id` (the default
// and cancel buttons take the dialog manager's ids instead).
std::unique_ptr<TControlLink> MakeControlLink(IFormWindow &owner, TControl &control, int id);
