// The customers form: a search edit over the customers and data-aware edits showing the
// record it finds. Run drives it as a user would.
#pragma once

#include "demo_data.h"
#include "demo_steps.h"

namespace demo {

void RunCustomersForm(const DemoData& Data, Steps& Steps);

}  // namespace demo
