#include "platform/DDS_AttributePublisher.h"

#include <omniORB4/CORBA.h>

#include <exception>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

#include "platform/DDS_Publisher.h"
#include "platform/Orb.h"

namespace Velmarin {
namespace {

// ---- text of an any ----------------------------------------------------------------------

std::string DynText(DynamicAny::DynAny_ptr dyn);

CORBA::TypeCode_ptr Unaliased(CORBA::TypeCode_ptr type) {
  CORBA::TypeCode_var resolved = CORBA::TypeCode::_duplicate(type);
  while (resolved->kind() == CORBA::tk_alias) resolved = resolved->content_type();
  return resolved._retn();
}

// "{a=1, b=2}" for records, "[1, 2]" for sequences and arrays.
std::string ComponentsText(DynamicAny::DynAny_ptr dyn, bool named) {
  DynamicAny::DynStruct_var record;
  if (named) record = DynamicAny::DynStruct::_narrow(dyn);
  std::string text = named ? "{" : "[";
  const CORBA::ULong count = dyn->component_count();
  dyn->rewind();
  for (CORBA::ULong i = 0; i < count; ++i, dyn->next()) {
    if (i > 0) text += ", ";
    if (named) {
      CORBA::String_var name = record->current_member_name();
      text += name.in();
      text += '=';
    }
    DynamicAny::DynAny_var component = dyn->current_component();
    text += DynText(component);
  }
  return text + (named ? "}" : "]");
}

std::string DynText(DynamicAny::DynAny_ptr dyn) {
  CORBA::TypeCode_var declared = dyn->type();
  CORBA::TypeCode_var type = Unaliased(declared);
  std::ostringstream text;
  text.precision(15);
  switch (type->kind()) {
    case CORBA::tk_null:
    case CORBA::tk_void: return "";
    case CORBA::tk_boolean: return dyn->get_boolean() ? "true" : "false";
    case CORBA::tk_short: text << dyn->get_short(); break;
    case CORBA::tk_ushort: text << dyn->get_ushort(); break;
    case CORBA::tk_long: text << dyn->get_long(); break;
    case CORBA::tk_ulong: text << dyn->get_ulong(); break;
    case CORBA::tk_longlong: text << dyn->get_longlong(); break;
    case CORBA::tk_ulonglong: text << dyn->get_ulonglong(); break;
    case CORBA::tk_float: text << dyn->get_float(); break;
    case CORBA::tk_double: text << dyn->get_double(); break;
    case CORBA::tk_char: text << dyn->get_char(); break;
    case CORBA::tk_octet: text << static_cast<unsigned>(dyn->get_octet()); break;
    case CORBA::tk_string: {
      CORBA::String_var value = dyn->get_string();
      return value.in();
    }
    case CORBA::tk_enum: {
      DynamicAny::DynEnum_var value = DynamicAny::DynEnum::_narrow(dyn);
      CORBA::String_var label = value->get_as_string();
      return label.in();
    }
    case CORBA::tk_struct:
    case CORBA::tk_except: return ComponentsText(dyn, true);
    case CORBA::tk_sequence:
    case CORBA::tk_array: return ComponentsText(dyn, false);
    case CORBA::tk_any: {
      CORBA::Any_var inner = dyn->get_any();
      return AnyText(inner.in());
    }
    default:
      try {
        return std::string("<") + type->id() + ">";
      } catch (const CORBA::TypeCode::BadKind&) {
        return "<?>";
      }
  }
  return text.str();
}

// ---- one writer per topic ------------------------------------------------------------------

DDS_ValueKind KindOf(const CORBA::Any& value) {
  CORBA::TypeCode_var declared = value.type();
  CORBA::TypeCode_var type = Unaliased(declared);
  switch (type->kind()) {
    case CORBA::tk_boolean: return DDS_ValueKind::Boolean;
    case CORBA::tk_long: return DDS_ValueKind::Long;
    case CORBA::tk_struct:
      if (type->equivalent(VALUE_DOUBLE::_tc_VALUE)) return DDS_ValueKind::ValueDouble;
      if (type->equivalent(VALUE_LONG::_tc_VALUE)) return DDS_ValueKind::ValueLong;
      return DDS_ValueKind::String;
    default: return DDS_ValueKind::String;
  }
}

// The value of an any as T; false when the any holds something else.
bool Extract(const CORBA::Any& any, bool& value) {
  CORBA::Boolean b = false;
  if (!(any >>= CORBA::Any::to_boolean(b))) return false;
  value = b;
  return true;
}
bool Extract(const CORBA::Any& any, int& value) {
  CORBA::Long l = 0;
  if (!(any >>= l)) return false;
  value = l;
  return true;
}
// Strings as they are, anything else as its text.
bool Extract(const CORBA::Any& any, CORBA::String_var& value) {
  const char* text = nullptr;
  value = CORBA::string_dup((any >>= text) ? text : AnyText(any).c_str());
  return true;
}
template <class Record>
bool ExtractRecord(const CORBA::Any& any, Record& value) {
  const Record* record = nullptr;
  if (!(any >>= record)) return false;
  value = *record;
  return true;
}
bool Extract(const CORBA::Any& any, VALUE_DOUBLE::VALUE& value) { return ExtractRecord(any, value); }
bool Extract(const CORBA::Any& any, VALUE_LONG::VALUE& value) { return ExtractRecord(any, value); }

class TopicWriter {
 public:
  virtual ~TopicWriter() = default;
  // Publishes value; false when it does not fit the topic's type.
  virtual bool Send(const CORBA::Any& value) = 0;
};

template <class T>
class TypedTopicWriter final : public TopicWriter {
 public:
  explicit TypedTopicWriter(const std::string& topic) : publisher_(topic.c_str()) {}
  bool Send(const CORBA::Any& any) override {
    T value{};
    if (!Extract(any, value)) return false;
    publisher_.sendData(value);
    return true;
  }

 private:
  DDS_Publisher<T> publisher_;
};

std::unique_ptr<TopicWriter> MakeWriter(DDS_ValueKind kind, const std::string& topic) {
  switch (kind) {
    case DDS_ValueKind::Boolean: return std::make_unique<TypedTopicWriter<bool>>(topic);
    case DDS_ValueKind::Long: return std::make_unique<TypedTopicWriter<int>>(topic);
    case DDS_ValueKind::String: return std::make_unique<TypedTopicWriter<CORBA::String_var>>(topic);
    case DDS_ValueKind::ValueDouble: return std::make_unique<TypedTopicWriter<VALUE_DOUBLE::VALUE>>(topic);
    case DDS_ValueKind::ValueLong: return std::make_unique<TypedTopicWriter<VALUE_LONG::VALUE>>(topic);
  }
  throw Runtime_errors::Unhandled_switch("DDS attribute publisher: unknown value kind");
}

class AttributeTopics {
 public:
  void Publish(const std::string& topic, const CORBA::Any& value) noexcept {
    try {
      if (!WriterFor(topic, value)->Send(value))
        std::cerr << "DDS attribute publisher: topic [" << topic << "] carries "
                  << DDS_TypeName(TopicKind(topic)) << "; a value of another type is not published"
                  << std::endl;
    } catch (const CORBA::Exception& e) {
      std::cerr << "DDS attribute publisher: topic [" << topic << "] " << DDS_ExceptionText(e) << std::endl;
    } catch (const std::exception& e) {
      std::cerr << "DDS attribute publisher: topic [" << topic << "] " << e.what() << std::endl;
    } catch (...) {
      std::cerr << "DDS attribute publisher: topic [" << topic << "] unknown exception" << std::endl;
    }
  }

 private:
  struct Entry {
    DDS_ValueKind kind;
    std::shared_ptr<TopicWriter> writer;
  };

  // The topic's writer, created for the kind of value when the topic is new.
  std::shared_ptr<TopicWriter> WriterFor(const std::string& topic, const CORBA::Any& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = topics_.find(topic);
    if (it == topics_.end()) {
      const DDS_ValueKind kind = KindOf(value);
      it = topics_.emplace(topic, Entry{kind, MakeWriter(kind, topic)}).first;
    }
    return it->second.writer;
  }
  DDS_ValueKind TopicKind(const std::string& topic) {
    std::lock_guard<std::mutex> lock(mutex_);
    return topics_.at(topic).kind;
  }

  // The participant exists from the start, so that discovery has found the subscribers of
  // a topic by the time its first value is published.
  DDS_BaseObj participant_;
  std::mutex mutex_;
  std::map<std::string, Entry> topics_;
};

}  // namespace

std::string AnyText(const CORBA::Any& value) {
  try {
    CORBA::Object_var object = ProcessOrb()->resolve_initial_references("DynAnyFactory");
    DynamicAny::DynAnyFactory_var factory = DynamicAny::DynAnyFactory::_narrow(object);
    DynamicAny::DynAny_var dyn = factory->create_dyn_any(value);
    std::string text;
    try {
      text = DynText(dyn);
    } catch (...) {
      dyn->destroy();
      throw;
    }
    dyn->destroy();
    return text;
  } catch (const CORBA::Exception& e) {
    return std::string("<") + e._name() + ">";
  }
}

AttributePublisher MakeDdsAttributePublisher() {
  auto topics = std::make_shared<AttributeTopics>();
  return [topics](const std::string& topic, const CORBA::Any& value) { topics->Publish(topic, value); };
}

}  // namespace Velmarin
