// radalt-bench-client: one of the concurrent clients of the throughput figures. Writes one
// attribute of the master control's registry (or calls the floor) as fast as it is answered,
// from a given instant for a given time, and prints what it did on one line (Lines.h).
//
//   radalt-bench-client --ns HOST:PORT --start-at-us T --seconds S
//                       (--attr NAME [--values A,B] | --floor-ior FILE)
// --values: the two values to alternate between instead of two the attribute's limits allow.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Attr.h"
#include "BenchFloor.hh"
#include "Lines.h"
#include "Stats.h"
#include "platform/Orb.h"

using namespace radalt_bench;

int main(int argc, char** argv) {
  Velmarin::OrbOptions options;
  std::string attrName, iorFile, values;
  long long startAtUs = 0;
  double seconds = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i], v = argv[i + 1];
    if (a == "--ns") options.nameService = v;
    else if (a == "--attr") attrName = v;
    else if (a == "--floor-ior") iorFile = v;
    else if (a == "--values") values = v;
    else if (a == "--start-at-us") startAtUs = std::stoll(v);
    else if (a == "--seconds") seconds = std::stod(v);
  }
  if (attrName.empty() == iorFile.empty() || seconds <= 0) {
    std::cerr << "usage: radalt-bench-client --ns HOST:PORT --start-at-us T --seconds S "
                 "(--attr NAME | --floor-ior FILE)" << std::endl;
    return 2;
  }

  ClientResult result;
  long& writes = result.writes;
  long& refused = result.refused;
  std::string& error = result.error;
  std::vector<double> samples;
  try {
    Velmarin::ConfigureOrb(options);
    Velmarin::Locker locker("radalt-bench-client");
    std::function<void()> call;
    std::unique_ptr<AttrWriter> writer;
    RadaltBench::Floor_var floor;
    if (!iorFile.empty()) {
      std::string ior;
      std::ifstream(iorFile) >> ior;
      CORBA::Object_var obj = Velmarin::ProcessOrb()->string_to_object(ior.c_str());
      floor = RadaltBench::Floor::_narrow(obj);
      call = [&] { floor->Ping(); };
    } else {
      Registry registry;
      Velmarin::EngineReadingBase_var attr = registry.Find(attrName);
      if (CORBA::is_nil(attr)) throw std::runtime_error("attribute " + attrName + " not present");
      writer = std::make_unique<AttrWriter>(attr, locker.Id());
      if (values.empty()) {
        call = [&] { writer->WriteNext(); };
      } else {
        const double a = std::stod(values), b = std::stod(values.substr(values.find(',') + 1));
        bool second = false;
        call = [&writer, a, b, second]() mutable {
          second = !second;
          writer->Write(second ? b : a);
        };
      }
    }
    call();  // the connection is open before the start
    const auto startAt = std::chrono::system_clock::time_point(std::chrono::microseconds(startAtUs));
    std::this_thread::sleep_until(startAt);
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    samples.reserve(200000);
    for (auto t0 = Clock::now(); t0 < end; t0 = Clock::now()) {
      try {
        call();
        ++writes;
      } catch (const CORBA::UserException& e) {
        ++refused;
        if (error.empty()) error = DescribeException(e);
      }
      samples.push_back(MicrosBetween(t0, Clock::now()));
    }
  } catch (const CORBA::Exception& e) {
    error = DescribeException(e);
  } catch (const std::exception& e) {
    error = e.what();
  }
  const Summary s = Summarize(samples);
  result.p50 = s.p50;
  result.p99 = s.p99;
  std::printf("%s\n", FormatClientResult(result).c_str());
  Velmarin::ShutdownOrb(false);
  // The ORB's threads still run: leave without running static destructors under them.
  std::fflush(nullptr);
  std::_Exit(error.empty() || writes > 0 ? 0 : 1);
}
