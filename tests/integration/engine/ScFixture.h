#pragma once

#include "../../support/SimulatedChannels.h"

using testset::SimulatedChannels;
