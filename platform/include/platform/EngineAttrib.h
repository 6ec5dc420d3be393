// Attribute and reading servants of an engine: a value, its parameter record, the lock
// groups that guard client writes, and the callback that decides what a write does.
#pragma once

#include <boost/function.hpp>
#include <chrono>
#include <functional>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "VelmarinAttrib.hh"
#include "platform/ItemNamer.h"
#include "platform/Lock.h"

namespace Velmarin {
class EngineReadingBase_i;

// A client's write or command, told once its outcome is known.
struct WriteEvent {
  WriteEvent(const EngineReadingBase_i& a, const Locker_ID& w) : attr(a), who(w) {}
  const EngineReadingBase_i& attr;
  const Locker_ID& who;
  bool command = false;
  CORBA::Any before;     // the value before the write (empty for a command)
  CORBA::Any requested;  // the value the client asked for (empty for a command)
  CORBA::Any after;      // the value after it, accepted or not (empty for a command)
  // What the write threw: a CORBA exception (refusals are user exceptions), or another
  // exception's text; neither when it was accepted.
  const CORBA::Exception* refusal = nullptr;
  std::string failure;
  std::chrono::system_clock::time_point at;  // when the write arrived
  std::chrono::nanoseconds took{0};
};

// Hears every client write and command of a registry's attributes. Called on the writing
// thread after the outcome is known; it must not block, and must not throw.
class WriteObserver {
 public:
  virtual ~WriteObserver() = default;
  virtual void Written(const WriteEvent& event) noexcept = 0;
};
}  // namespace Velmarin

namespace Lumaren {
// Where attribute servants register themselves by key (the engine's GUI servant).
class GUI_AbleRegistration {
 public:
  virtual ~GUI_AbleRegistration() = default;
  virtual void Register(const std::string& name, Velmarin::EngineReadingBase_i& attr) = 0;
  virtual void Unregister(const std::string& name, Velmarin::EngineReadingBase_i& attr) = 0;
  // The observer of client writes, or null (then a write costs nothing more).
  virtual std::shared_ptr<Velmarin::WriteObserver> Observer() const { return nullptr; }
};
}  // namespace Lumaren

namespace Velmarin {

// What every attribute and reading shares: its key, topic, type name, and the locks that
// a client write must pass. The registration must outlive the servant.
class EngineReadingBase_i : public virtual POA_Velmarin::EngineReadingBase, public Lockable_i {
 public:
  EngineReadingBase_i(ItemNamer& namer, Lumaren::GUI_AbleRegistration& registration,
                      const char* key, const char* typeName);
  ~EngineReadingBase_i() override;

  char* TypeName() override { return CORBA::string_dup(typeName_); }
  char* Name() override { return CORBA::string_dup(key_.c_str()); }
  char* DDS_Topic() override { return CORBA::string_dup(topic_.c_str()); }

  const std::string& Key() const { return key_; }
  const std::string& Topic() const { return topic_; }

  // A client write is also refused while group is held by another locker; with unless, not
  // while unless() says so (an activity in progress that the write ends).
  void GuardWith(Lockable_i& group, std::function<bool()> unless = nullptr);
  // Throws Locking_Error unless who may use this attribute and every group guarding it.
  void CheckWriter(const Locker_ID& who) const;
  CORBA::Boolean Blocked(const Locker_ID& who, CORBA::String_out holder, CORBA::String_out reason,
                         CORBA::String_out message) override;

 protected:
  void Publish(const CORBA::Any& value) const;

  // The value as held, into a: nothing a client's read may do first (a command holds none).
  virtual void HeldValue(CORBA::Any& a) const { (void)a; }

  // Runs call, a client's write (requested puts the value asked for into an any) or command
  // (requested null), and tells the registry's observer, if there is one, how it ended.
  template <class Requested, class Call>
  void Observed(const Locker_ID& who, const Requested* requested, Call&& call) {
    std::shared_ptr<WriteObserver> observer = registration_.Observer();
    if (!observer) {
      call();
      return;
    }
    WriteEvent event = Begin(who, requested != nullptr);
    if (requested) (*requested)(event.requested);
    try {
      call();
    } catch (const CORBA::Exception& e) {
      event.refusal = &e;
      End(*observer, event);
      throw;
    } catch (const std::exception& e) {
      event.failure = e.what();
      End(*observer, event);
      throw;
    }
    End(*observer, event);
  }

 private:
  Lumaren::GUI_AbleRegistration& registration_;
  const std::string key_;
  const std::string topic_;
  const char* const typeName_;
  WriteEvent Begin(const Locker_ID& who, bool write);
  void End(WriteObserver& observer, WriteEvent& event);

  std::shared_ptr<const AttributePublisher> publisher_;
  mutable std::mutex guardsMutex_;
  struct Guard {
    Lockable_i* group;
    std::function<bool()> unless;
  };
  std::vector<Guard> guards_;
};

// ---- value kinds -------------------------------------------------------------------------

namespace detail {

// How a value kind is stored, passed in, handed out and put into an any.
struct BoolKind {
  using Stored = bool;
  using In = CORBA::Boolean;
  using Ret = CORBA::Boolean;
  static Ret Out(const Stored& v) { return v; }
  static void ToAny(CORBA::Any& a, const Stored& v) { a <<= CORBA::Any::from_boolean(v); }
};
struct LongKind {
  using Stored = CORBA::Long;
  using In = CORBA::Long;
  using Ret = CORBA::Long;
  static Ret Out(const Stored& v) { return v; }
  static void ToAny(CORBA::Any& a, const Stored& v) { a <<= v; }
};
struct StringKind {
  using Stored = std::string;
  using In = const char*;
  using Ret = char*;
  static Ret Out(const Stored& v) { return CORBA::string_dup(v.c_str()); }
  static void ToAny(CORBA::Any& a, const Stored& v) { a <<= v.c_str(); }
};
template <class Rec>
struct RecordKind {
  using Stored = Rec;
  using In = const Rec&;
  using Ret = Rec;
  static Ret Out(const Stored& v) { return v; }
  static void ToAny(CORBA::Any& a, const Stored& v) { a <<= v; }
};
struct AnyKind {
  using Stored = CORBA::Any;
  using In = const CORBA::Any&;
  using Ret = CORBA::Any*;
  static Ret Out(const Stored& v) { return new CORBA::Any(v); }
  static void ToAny(CORBA::Any& a, const Stored& v) { a = v; }
};

// Parameter records of fixed size go out by value, the others as a new copy.
template <class P>
struct FixedOut {
  using Ret = P;
  static Ret Out(const P& p) { return p; }
};
template <class P>
struct VariableOut {
  using Ret = P*;
  static Ret Out(const P& p) { return new P(p); }
};

}  // namespace detail

namespace detail {
// A written value that no engine or store can take (a number that is not finite) is refused
// with DataOutOfRange before the callback sees it.
template <class V>
void RefuseNonFinite(const std::string&, const V&) {}
void RefuseNonFinite(const std::string& key, const VALUE_DOUBLE::VALUE& value);
}  // namespace detail

// A value the engine assigns and clients read.
template <class Skel, class Kind>
class EngineValue_t : public virtual Skel, public EngineReadingBase_i {
 public:
  using In = typename Kind::In;
  using Stored = typename Kind::Stored;

  EngineValue_t(ItemNamer& namer, Lumaren::GUI_AbleRegistration& registration, const char* key,
                In initial, const char* typeName)
      : EngineReadingBase_i(namer, registration, key, typeName), value_(initial) {}

  typename Kind::Ret Get() override {
    std::lock_guard<std::mutex> lock(valueMutex_);
    return Kind::Out(value_);
  }
  CORBA::Any* GetAny() override {
    auto* a = new CORBA::Any;
    std::lock_guard<std::mutex> lock(valueMutex_);
    Kind::ToAny(*a, value_);
    return a;
  }
  // Makes v the current value and publishes it.
  EngineValue_t& operator=(In v) {
    CORBA::Any a;
    {
      std::lock_guard<std::mutex> lock(valueMutex_);
      value_ = Stored(v);
      Kind::ToAny(a, value_);
    }
    Publish(a);
    return *this;
  }
  Stored Value() const {
    std::lock_guard<std::mutex> lock(valueMutex_);
    return value_;
  }
  void HeldValue(CORBA::Any& a) const override {
    std::lock_guard<std::mutex> lock(valueMutex_);
    Kind::ToAny(a, value_);
  }

 private:
  mutable std::mutex valueMutex_;
  Stored value_;
};

// A value a client may write: the write passes the locks, then the callback decides.
template <class Skel, class Kind>
class EngineSetting_t : public EngineValue_t<Skel, Kind> {
 public:
  using In = typename Kind::In;
  using Callback = boost::function<void(In)>;

  EngineSetting_t(ItemNamer& namer, Lumaren::GUI_AbleRegistration& registration, const char* key,
                  In initial, Callback callback, const char* typeName)
      : EngineValue_t<Skel, Kind>(namer, registration, key, initial, typeName),
        callback_(std::move(callback)) {}

  void Set(const Locker_ID& who, In value) override {
    const auto requested = [&value](CORBA::Any& a) { Kind::ToAny(a, typename Kind::Stored(value)); };
    this->Observed(who, &requested, [&] {
      this->CheckWriter(who);
      detail::RefuseNonFinite(this->Key(), value);
      if (callback_) callback_(value);
    });
  }
  using EngineValue_t<Skel, Kind>::operator=;

 private:
  Callback callback_;
};

// A setting with a parameter record clients can read.
template <class Skel, class Kind, class Params, class ParamsOut>
class EngineParamSetting_t : public EngineSetting_t<Skel, Kind> {
 public:
  using In = typename Kind::In;
  using Callback = typename EngineSetting_t<Skel, Kind>::Callback;

  EngineParamSetting_t(ItemNamer& namer, Lumaren::GUI_AbleRegistration& registration,
                       const char* key, In initial, Callback callback, const Params& params,
                       const char* typeName)
      : EngineSetting_t<Skel, Kind>(namer, registration, key, initial, std::move(callback),
                                    typeName),
        params_(params) {}

  typename ParamsOut::Ret GetParams() override {
    std::lock_guard<std::mutex> lock(paramsMutex_);
    return ParamsOut::Out(params_);
  }
  void SetParams(const Params& params) {
    std::lock_guard<std::mutex> lock(paramsMutex_);
    params_ = params;
  }
  Params ParamsCopy() const {
    std::lock_guard<std::mutex> lock(paramsMutex_);
    return params_;
  }
  using EngineValue_t<Skel, Kind>::operator=;

 protected:
  mutable std::mutex paramsMutex_;
  Params params_;
};

// ---- the eleven servant kinds ------------------------------------------------------------

class EngineAttribBoolean_i : public EngineSetting_t<POA_Velmarin::EngineAttribBoolean, detail::BoolKind> {
 public:
  EngineAttribBoolean_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key, bool initial,
                        Callback cb)
      : EngineSetting_t(n, r, key, initial, std::move(cb), "EngineAttribBoolean") {}
  using EngineValue_t::operator=;
};

class EngineAttribLong_i
    : public EngineParamSetting_t<POA_Velmarin::EngineAttribLong, detail::LongKind,
                                  EngineAttribLongParams, detail::FixedOut<EngineAttribLongParams>> {
 public:
  EngineAttribLong_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key, int initial,
                     Callback cb, const EngineAttribLongParams& params)
      : EngineParamSetting_t(n, r, key, initial, std::move(cb), params, "EngineAttribLong") {}
  using EngineValue_t::operator=;
};

class EngineAttribEnum_i
    : public EngineParamSetting_t<POA_Velmarin::EngineAttribEnum, detail::LongKind,
                                  EngineAttribEnumParams, detail::VariableOut<EngineAttribEnumParams>> {
 public:
  EngineAttribEnum_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key, int initial,
                     Callback cb, const std::vector<EngineAttribEnumParamElem>& elems = {});
  // Adds an allowed value with its label.
  void AddParam(int value, const char* label);
  bool HasValue(int value) const;
  using EngineValue_t::operator=;
};

class EngineAttribString_i
    : public EngineParamSetting_t<POA_Velmarin::EngineAttribString, detail::StringKind,
                                  EngineAttribStringParams, detail::VariableOut<EngineAttribStringParams>> {
 public:
  EngineAttribString_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key,
                       const char* initial, Callback cb, const EngineAttribStringParams& params)
      : EngineParamSetting_t(n, r, key, initial, std::move(cb), params, "EngineAttribString") {}
  using EngineValue_t::operator=;
};

class EngineAttribValueLong_i
    : public EngineParamSetting_t<POA_Velmarin::EngineAttribValueLong, detail::RecordKind<VALUE_LONG::VALUE>,
                                  EngineAttribValueLongParams, detail::FixedOut<EngineAttribValueLongParams>> {
 public:
  EngineAttribValueLong_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key,
                          const VALUE_LONG::VALUE& initial, Callback cb,
                          const EngineAttribValueLongParams& params)
      : EngineParamSetting_t(n, r, key, initial, std::move(cb), params, "EngineAttribValueLong") {}
  using EngineValue_t::operator=;
};

class EngineAttribValueDouble_i
    : public EngineParamSetting_t<POA_Velmarin::EngineAttribValueDouble, detail::RecordKind<VALUE_DOUBLE::VALUE>,
                                  EngineAttribValueDoubleParams, detail::FixedOut<EngineAttribValueDoubleParams>> {
 public:
  EngineAttribValueDouble_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key,
                            const VALUE_DOUBLE::VALUE& initial, Callback cb,
                            const EngineAttribValueDoubleParams& params)
      : EngineParamSetting_t(n, r, key, initial, std::move(cb), params, "EngineAttribValueDouble") {}
  using EngineValue_t::operator=;
};

class EngineAttribAny_i
    : public EngineParamSetting_t<POA_Velmarin::EngineAttribAny, detail::AnyKind, CORBA::Any,
                                  detail::VariableOut<CORBA::Any>> {
 public:
  EngineAttribAny_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key,
                    const CORBA::Any& initial, Callback cb, const CORBA::Any& params)
      : EngineParamSetting_t(n, r, key, initial, std::move(cb), params, "EngineAttribAny") {}
  using EngineValue_t::operator=;
};

// A command: a client executes it, the callback does the work.
class EngineAttribVoid_i : public virtual POA_Velmarin::EngineAttribVoid, public EngineReadingBase_i {
 public:
  using Callback = boost::function<void()>;
  EngineAttribVoid_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key, Callback cb)
      : EngineReadingBase_i(n, r, key, "EngineAttribVoid"), callback_(std::move(cb)) {}
  void Execute(const Locker_ID& who) override {
    using NoValue = void (*)(CORBA::Any&);
    Observed(who, static_cast<const NoValue*>(nullptr), [&] {
      CheckWriter(who);
      if (callback_) callback_();
    });
  }
  CORBA::Any* GetAny() override { return new CORBA::Any; }

 private:
  Callback callback_;
};

class EngineReadingBoolean_i : public EngineValue_t<POA_Velmarin::EngineReadingBoolean, detail::BoolKind> {
 public:
  EngineReadingBoolean_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key, bool initial)
      : EngineValue_t(n, r, key, initial, "EngineReadingBoolean") {}
  using EngineValue_t::operator=;
};

class EngineReadingLong_i : public EngineValue_t<POA_Velmarin::EngineReadingLong, detail::LongKind> {
 public:
  EngineReadingLong_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key, int initial)
      : EngineValue_t(n, r, key, initial, "EngineReadingLong") {}
  using EngineValue_t::operator=;
};

class EngineReadingValueDouble_i
    : public EngineValue_t<POA_Velmarin::EngineReadingValueDouble, detail::RecordKind<VALUE_DOUBLE::VALUE>> {
 public:
  EngineReadingValueDouble_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key,
                             const VALUE_DOUBLE::VALUE& initial)
      : EngineValue_t(n, r, key, initial, "EngineReadingValueDouble") {}
  using EngineValue_t::operator=;
};

}  // namespace Velmarin
