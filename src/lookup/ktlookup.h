// The ktlookup package: data-aware lookup controls. Include this header to get all of them.
#pragma once
