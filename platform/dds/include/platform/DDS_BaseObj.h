// The process's DDS domain participant, shared by every publisher and subscriber.
#pragma once

#include <chrono>
#include <string>

namespace eprosima {
namespace fastdds {
namespace dds {
class DomainParticipant;
class Topic;
}  // namespace dds
}  // namespace fastdds
}  // namespace eprosima

namespace Velmarin {

// Environment variable holding the DDS domain id of the process (0 when unset).
extern const char* const DDS_DomainVariable;

// The domain id configured for this process, or -1 (with a line on standard error) when the
// variable does not hold a number from 0 to 232.
int DDS_DomainId();

// Every DDS entity of the process derives from this class. The first object creates the one
// domain participant of the process; the last one deletes it. The participant talks on the
// loopback interface only: shared memory, and UDPv4 restricted to 127.0.0.1 with discovery by
// unicast to 127.0.0.1 (no multicast).
class DDS_BaseObj {
 public:
  DDS_BaseObj();
  virtual ~DDS_BaseObj();
  DDS_BaseObj(const DDS_BaseObj&) = delete;
  DDS_BaseObj& operator=(const DDS_BaseObj&) = delete;

  // The participant, or nullptr when it could not be created (the reason is on standard error).
  eprosima::fastdds::dds::DomainParticipant* DdsBase() const { return participant_; }

 protected:
  // The participant's topic of that name, created with the default topic QoS on first use and
  // shared by the entities of the process; nullptr when there is no participant, when the topic
  // exists with another type, or when Fast DDS refuses it. Each topic acquired is released once.
  eprosima::fastdds::dds::Topic* AcquireTopic(const std::string& name, const std::string& typeName);
  void ReleaseTopic(eprosima::fastdds::dds::Topic* topic);

 private:
  eprosima::fastdds::dds::DomainParticipant* participant_;
};

}  // namespace Velmarin
