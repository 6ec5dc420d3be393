// The remote catalogue of named settings and profiles, held by the channel engines.
#pragma once

namespace radalt {
class Core;
}

class RCISaveRecall {
 public:
  explicit RCISaveRecall(radalt::Core* mc);
  virtual ~RCISaveRecall();
  RCISaveRecall(const RCISaveRecall&) = delete;
  RCISaveRecall& operator=(const RCISaveRecall&) = delete;

 private:
  radalt::Core* mc_;
};
