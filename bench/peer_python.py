#!/usr/bin/python3
"""The bench's Python rows: writes from Python, timed one by one, as a script writes.

  peer_python.py tango URL N WARMUP     DeviceProxy.write_attribute("double_scalar", x)
  peer_python.py radalt NS KEY N WARMUP  radalt.Client(NS).set(KEY, x)

Prints one JSON object: {"kind": "latency", "n": N, "p50_us": .., "p99_us": ..} or
{"kind": "latency", "error": "..."}. The radalt module is found on PYTHONPATH (the build's
python folder)."""
import json
import math
import sys
import time


def nearest_rank(sorted_samples, q):
    return sorted_samples[max(0, math.ceil(q * len(sorted_samples)) - 1)]


def timed(write, n, warmup):
    for i in range(warmup):
        write(i)
    samples = []
    clock = time.perf_counter_ns
    for i in range(warmup, warmup + n):
        t0 = clock()
        write(i)
        samples.append((clock() - t0) / 1000.0)
    samples.sort()
    return {"kind": "latency", "n": n, "p50_us": round(nearest_rank(samples, 0.5), 2),
            "p99_us": round(nearest_rank(samples, 0.99), 2),
            "mean_us": round(sum(samples) / n, 2)}


def tango_writes(url, n, warmup):
    import tango
    dev = tango.DeviceProxy(url)
    values = (1.25, 2.5)
    return timed(lambda i: dev.write_attribute("double_scalar", values[i & 1]), n, warmup)


def radalt_writes(ns, key, n, warmup):
    import radalt
    client = radalt.Client(ns)
    now = float(client.get(key))
    # Two values one apart near the current one, the pair the attribute's range allows.
    for other in (now + 1, now - 1):
        try:
            client.set(key, other)
            break
        except radalt.RangeError:
            continue
    values = (now, other)
    return timed(lambda i: client.set(key, values[i & 1]), n, warmup)


def main(argv):
    try:
        if argv[1] == "tango":
            result = tango_writes(argv[2], int(argv[3]), int(argv[4]))
        elif argv[1] == "radalt":
            result = radalt_writes(argv[2], argv[3], int(argv[4]), int(argv[5]))
        else:
            raise ValueError("unknown peer " + argv[1])
    except Exception as e:  # the driver shows what went wrong in the row
        result = {"kind": "latency", "error": "%s: %s" % (type(e).__name__, " ".join(str(e).split()))}
    print(json.dumps(result), flush=True)
    return 0 if "error" not in result else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
