#include "platform/DDS_BaseObj.h"

#include <fastdds/dds/domain/DomainParticipant.hpp>
#include <fastdds/dds/domain/DomainParticipantFactory.hpp>
#include <fastdds/dds/topic/Topic.hpp>
#include <fastdds/rtps/transport/UDPv4TransportDescriptor.h>
#include <fastdds/rtps/transport/shared_mem/SharedMemTransportDescriptor.h>
#include <fastrtps/utils/IPLocator.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>

namespace Velmarin {

const char* const DDS_DomainVariable = "RADALT_DDS_DOMAIN";

namespace {

using namespace eprosima::fastdds::dds;
using eprosima::fastrtps::rtps::IPLocator;
using eprosima::fastrtps::rtps::Locator_t;

// The highest domain id whose ports fit the RTPS port mapping.
constexpr long kMaxDomainId = 232;
// Participants per domain that discovery looks for on the loopback interface.
constexpr uint32_t kParticipantsPerDomain = 32;

struct SharedTopic {
  Topic* topic;
  int users;
};

// The participant and its topics. Never destroyed: DDS entities may outlive static objects.
struct ProcessParticipant {
  std::mutex mutex;  // not taken by the discovery callback, so Fast DDS calls may run under it
  int users = 0;
  DomainParticipant* participant = nullptr;
  std::map<std::string, SharedTopic> topics;
};

ProcessParticipant& Process() {
  static ProcessParticipant* process = new ProcessParticipant;
  return *process;
}

Locator_t LoopbackLocator() {
  Locator_t locator;
  locator.kind = LOCATOR_KIND_UDPv4;
  IPLocator::setIPv4(locator, 127, 0, 0, 1);
  locator.port = 0;  // chosen from the domain id and the participant id
  return locator;
}

DomainParticipantQos LoopbackQos() {
  DomainParticipantQos qos = PARTICIPANT_QOS_DEFAULT;
  qos.name("radalt");

  auto& transport = qos.transport();
  transport.use_builtin_transports = false;
  transport.user_transports.push_back(
      std::make_shared<eprosima::fastdds::rtps::SharedMemTransportDescriptor>());
  auto udp = std::make_shared<eprosima::fastdds::rtps::UDPv4TransportDescriptor>();
  udp->interfaceWhiteList.emplace_back("127.0.0.1");
  udp->maxInitialPeersRange = kParticipantsPerDomain;
  transport.user_transports.push_back(udp);

  // Discovery by unicast on the loopback interface: a metatraffic locator of our own stops Fast
  // DDS from adding its multicast ones, and the initial peers cover the participant ids of the
  // domain on 127.0.0.1.
  auto& builtin = qos.wire_protocol().builtin;
  builtin.avoid_builtin_multicast = true;
  builtin.metatrafficMulticastLocatorList.clear();
  builtin.metatrafficUnicastLocatorList.clear();
  builtin.metatrafficUnicastLocatorList.push_back(LoopbackLocator());
  builtin.initialPeersList.clear();
  builtin.initialPeersList.push_back(LoopbackLocator());
  return qos;
}

DomainParticipant* CreateParticipant() {
  const int domain = DDS_DomainId();
  if (domain < 0) return nullptr;
  DomainParticipant* participant = DomainParticipantFactory::get_instance()->create_participant(
      static_cast<DomainId_t>(domain), LoopbackQos());
  if (participant == nullptr)
    std::cerr << "DDS_BaseObj: cannot create the participant of domain " << domain << std::endl;
  return participant;
}

}  // namespace

int DDS_DomainId() {
  const char* text = std::getenv(DDS_DomainVariable);
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  const long id = std::strtol(text, &end, 10);
  if (*end != '\0' || id < 0 || id > kMaxDomainId) {
    std::cerr << "DDS_BaseObj: " << DDS_DomainVariable << "=\"" << text
              << "\" is not a domain id from 0 to " << kMaxDomainId << std::endl;
    return -1;
  }
  return static_cast<int>(id);
}

DDS_BaseObj::DDS_BaseObj() : participant_(nullptr) {
  ProcessParticipant& process = Process();
  std::lock_guard<std::mutex> lock(process.mutex);
  ++process.users;
  if (process.participant == nullptr)
    process.participant = CreateParticipant();
  participant_ = process.participant;
}

DDS_BaseObj::~DDS_BaseObj() {
  ProcessParticipant& process = Process();
  std::lock_guard<std::mutex> lock(process.mutex);
  if (--process.users > 0 || process.participant == nullptr) return;
  // Every entity has been deleted by the object that created it; the topics are gone too.
  const auto ret = DomainParticipantFactory::get_instance()->delete_participant(process.participant);
  if (ret != ReturnCode_t::RETCODE_OK)
    std::cerr << "DDS_BaseObj: the participant could not be deleted (" << ret() << ")" << std::endl;
  process.participant = nullptr;
}

Topic* DDS_BaseObj::AcquireTopic(const std::string& name, const std::string& typeName) {
  if (participant_ == nullptr) return nullptr;
  ProcessParticipant& process = Process();
  std::lock_guard<std::mutex> lock(process.mutex);
  auto it = process.topics.find(name);
  if (it != process.topics.end()) {
    if (it->second.topic->get_type_name() != typeName) return nullptr;
    ++it->second.users;
    return it->second.topic;
  }
  Topic* topic = participant_->create_topic(name, typeName, TOPIC_QOS_DEFAULT);
  if (topic == nullptr) return nullptr;
  process.topics.emplace(name, SharedTopic{topic, 1});
  return topic;
}

void DDS_BaseObj::ReleaseTopic(Topic* topic) {
  if (topic == nullptr) return;
  ProcessParticipant& process = Process();
  std::lock_guard<std::mutex> lock(process.mutex);
  auto it = process.topics.find(topic->get_name());
  if (it == process.topics.end() || it->second.topic != topic) return;
  if (--it->second.users > 0) return;
  const std::string name = it->first;
  process.topics.erase(it);
  if (participant_->delete_topic(topic) != ReturnCode_t::RETCODE_OK)
    std::cerr << "DDS_BaseObj: topic [" << name << "] could not be deleted" << std::endl;
}

}  // namespace Velmarin
