// The orders form: an order's number, date and amount in data-aware edits, and its customer
// chosen in a lookup list of the customers. MakeOrdersForm builds it; DriveOrdersForm moves
// through the orders and works the list as a user would, writing a picture after each step.
#pragma once

#include "demo_data.h"
#include "demo_steps.h"

namespace demo {

vcl::TForm* MakeOrdersForm(const DemoData& Data);
void DriveOrdersForm(vcl::TForm* Form, const DemoData& Data, Steps& Steps);
// The customer combo of the same form: dropping down, picking, typing, leaving.
void DriveOrdersCombo(vcl::TForm* Form, const DemoData& Data, Steps& Steps);

}  // namespace demo
