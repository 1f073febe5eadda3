// The data-access layer in one include: fields, data sets, the in-memory table, data sources,
// data links, data-set actions, database errors, and the SQLite connection and data set.
#pragma once

#include "platform/data/data_link.h"
#include "platform/data/data_set.h"
#include "platform/data/data_set_actions.h"
#include "platform/data/data_source.h"
#include "platform/data/db_consts.h"
#include "platform/data/db_errors.h"
#include "platform/data/field.h"
#include "platform/data/mem_data_set.h"
#include "platform/data/sqlite/sqlite_connection.h"
#include "platform/data/sqlite/sqlite_data_set.h"
