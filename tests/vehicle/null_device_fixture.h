// The null graphics device of the car tests, for the race tests that share it.
#pragma once

#include "vehicle_fixture.h"
