#include "platform/ItemNamer.h"

namespace Velmarin {

ItemNamer::ItemNamer(const std::string& base) : base_(base) {}

std::string ItemNamer::DDS_Topic(const ItemNamer& namer, const std::string& name) {
  if (namer.base_.empty()) return name;
  if (name.empty()) return namer.base_;
  return namer.base_ + "/" + name;
}

void ItemNamer::SetPublisher(AttributePublisher publisher) {
  publisher_ = publisher ? std::make_shared<const AttributePublisher>(std::move(publisher)) : nullptr;
}

}  // namespace Velmarin
