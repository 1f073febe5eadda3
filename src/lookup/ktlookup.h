// The ktlookup package: data-aware lookup controls. Include this header to get all of them.
#pragma once

#include "lookup/combo/combo_edit.h"
#include "lookup/combo/db_combo_edit.h"
#include "lookup/combo/lookup_combo.h"
#include "lookup/core/db_lookup_control.h"
#include "lookup/core/lookup_helpers.h"
#include "lookup/list/lookup_list.h"
#include "lookup/list/popup_data_list.h"
#include "lookup/search/search_edit.h"
