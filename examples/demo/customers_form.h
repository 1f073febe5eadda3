// The customers form: a search edit over the customers and data-aware edits showing the
// record it finds. MakeCustomersForm builds it; DriveCustomersForm types into it as a user
// would, writing a picture after each step.
#pragma once

#include "demo_data.h"
#include "demo_steps.h"

namespace demo {

vcl::TForm* MakeCustomersForm(const DemoData& Data);
void DriveCustomersForm(vcl::TForm* Form, const DemoData& Data, Steps& Steps);

}  // namespace demo
