// Names of an engine's items: topics of its attributes and lock groups.
#pragma once

#include <omniORB4/CORBA.h>

#include <functional>
#include <memory>
#include <string>

namespace Velmarin {

// Receives every value an attribute is assigned, with the attribute's topic.
using AttributePublisher = std::function<void(const std::string& topic, const CORBA::Any& value)>;

class ItemNamer {
 public:
  explicit ItemNamer(const std::string& base = "");

  // The topic of item name below the namer's base ("Lumaren/local/RADALT/1" + "/SIMRUN").
  static std::string DDS_Topic(const ItemNamer& namer, const std::string& name);
  std::string DDS_Topic(const std::string& name) const { return DDS_Topic(*this, name); }
  const std::string& Base() const { return base_; }

  // Where the attributes built with this namer publish their assignments (may be empty).
  void SetPublisher(AttributePublisher publisher);
  const std::shared_ptr<const AttributePublisher>& Publisher() const { return publisher_; }

 private:
  std::string base_;
  std::shared_ptr<const AttributePublisher> publisher_;
};

}  // namespace Velmarin
