#include "ItemRefs.h"

#include <mutex>

namespace radalt {

bool ObjectGone(const CORBA::SystemException& e) {
  return CORBA::OBJECT_NOT_EXIST::_downcast(&e) || CORBA::TRANSIENT::_downcast(&e) ||
         CORBA::COMM_FAILURE::_downcast(&e);
}

bool Unanswered(const CORBA::SystemException& e) {
  return ObjectGone(e) || CORBA::TIMEOUT::_downcast(&e);
}

namespace {
thread_local int failedChannel = 0;
}  // namespace

int ItemRefs::ChannelOf(Engine sc) const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  for (std::size_t i = 0; i < slots_.size(); ++i)
    if (sc && slots_[i].engine == sc) return static_cast<int>(i) + 1;
  return 0;
}

void ItemRefs::TellUnanswered(Engine sc) const {
  if (!unanswered_) return;
  if (const int channel = ChannelOf(sc)) unanswered_(channel);
}

void ItemRefs::NoteFailed(Engine sc) const {
  if (const int channel = ChannelOf(sc)) failedChannel = channel;
}

int ItemRefs::FailedChannel() { return failedChannel; }

void ItemRefs::ForgetFailedChannel() { failedChannel = 0; }

ItemRefs::~ItemRefs() {
  for (Slot& s : slots_) Release(s.items);
}

void ItemRefs::Release(std::map<Key, Entry>& items) {
  for (auto& kv : items) CORBA::release(kv.second.object);
  items.clear();
}

void ItemRefs::Reset(int channel, Engine engine) {
  if (channel < 1 || channel > 3) return;
  std::map<Key, Entry> dropped;
  {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    Slot& s = slots_[static_cast<std::size_t>(channel - 1)];
    s.engine = CORBA::is_nil(engine) ? nullptr : engine;
    dropped.swap(s.items);
  }
  // Released outside the lock: the last release of a reference may talk to the ORB.
  Release(dropped);
}

ItemRefs::Slot* ItemRefs::SlotOf(Engine sc) {
  if (!sc) return nullptr;
  for (Slot& s : slots_)
    if (s.engine == sc) return &s;
  return nullptr;
}

const ItemRefs::Slot* ItemRefs::SlotOf(Engine sc) const { return const_cast<ItemRefs*>(this)->SlotOf(sc); }

void* ItemRefs::Find(Engine sc, const Key& key) const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  const Slot* s = SlotOf(sc);
  if (!s) return nullptr;
  auto it = s->items.find(key);
  if (it == s->items.end()) return nullptr;
  CORBA::Object::_duplicate(it->second.object);
  return it->second.typed;
}

void ItemRefs::Keep(Engine sc, const Key& key, CORBA::Object_ptr object, void* typed) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  Slot* s = SlotOf(sc);
  if (!s || s->items.count(key)) return;
  s->items.emplace(key, Entry{CORBA::Object::_duplicate(object), typed});
}

void ItemRefs::Forget(Engine sc, const Key& key, CORBA::Object_ptr stale) {
  CORBA::Object_ptr dropped = CORBA::Object::_nil();
  {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    Slot* s = SlotOf(sc);
    if (!s) return;
    auto it = s->items.find(key);
    if (it == s->items.end() || it->second.object != stale) return;
    dropped = it->second.object;
    s->items.erase(it);
  }
  CORBA::release(dropped);
}

std::size_t ItemRefs::Kept(int channel) const {
  if (channel < 1 || channel > 3) return 0;
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return slots_[static_cast<std::size_t>(channel - 1)].items.size();
}

}  // namespace radalt
