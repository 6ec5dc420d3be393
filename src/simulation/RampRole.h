// The five manual altitude and ramp settings of a channel (RampParameter.h).
#pragma once

namespace radalt {

enum class RampRole { CurrentAltitude, StartAltitude, StopAltitude, Rate, Duration };

}  // namespace radalt
