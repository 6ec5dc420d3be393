#include "RCISaveRecall.h"

RCISaveRecall::RCISaveRecall(radalt::Core* mc) : mc_(mc) { (void)mc_; }
RCISaveRecall::~RCISaveRecall() = default;
