# The Python client against the simulated test set: the main interface, the GUI path, DDS,
# refusals as exceptions, the self test, the journal, and a client kept across an engine-host
# restart.
import os
import signal
import subprocess
import threading
import time

import pytest
import radalt


class TestMainInterface:
    def test_a_write_through_an_operation_reads_back_by_key_and_over_dds(self, three_channels):
        c = three_channels
        assert c.remote_get("NoOfEnabledChannels") == 3
        seen = c.watch(["NOOFENABLEDCHANNELS"], seconds=20, count=1,
                       then=lambda: c.remote_set("NoOfEnabledChannels", 2))
        assert seen == [("NOOFENABLEDCHANNELS", "3 (current)"), ("NOOFENABLEDCHANNELS", "2")]
        assert c.get("NOOFENABLEDCHANNELS") == 2

    def test_an_out_of_range_write_raises_the_range_error_and_changes_nothing(self, three_channels):
        c = three_channels
        with pytest.raises(radalt.RangeError) as err:
            c.remote_set("NoOfEnabledChannels", 5)
        e = err.value
        assert e.text == "Attribute : NoOfEnabledChannelsCallback - illegal no of channels"
        assert (e.minimum, e.maximum, e.value) == (0, 3, 5)
        assert isinstance(e, radalt.Refused) and e.kind == "DataOutOfRange"
        assert c.get("NOOFENABLEDCHANNELS") == 3


class TestByKey:
    def test_a_held_lock_raises_with_holder_reason_and_message(self, client):
        # Until a simulation runs, the current altitude is locked.
        with pytest.raises(radalt.LockedError) as err:
            client.set("CH1CURALT", 100.0)
        e = err.value
        assert e.holder == "RadAltMc"
        assert e.reason == "Simulation not running"
        assert e.message.startswith("Locked because a simulation is not running")
        # listed under the registered name: the key and the instance digit
        locked = {row["name"]: row for row in client.locks()}
        assert locked["CH1CURALT1"]["reason"] == "Simulation not running"

    def test_values_keep_their_kind_and_enumerations_take_labels(self, client):
        assert client.type("CH1:RFLVLMODE") == "EngineAttribEnum"
        before = client.get("CH2:OUTPWRLVL")
        try:
            client.set("CH2:OUTPWRLVL", -42.5)
            assert client.get("CH2:OUTPWRLVL") == -42.5
            assert client.text("CH2:OUTPWRLVL") == "-42.5 dBm"
        finally:
            client.set("CH2:OUTPWRLVL", before)

    @pytest.mark.parametrize("use", [lambda c: c.remote_get("NoSuchOperation"), lambda c: c.get("NOSUCH"),
                                     lambda c: c.exec("NOOFENABLEDCHANNELS"), lambda c: c.set("CH1:OUTPWRLVL", "loud"),
                                     lambda c: c.selftest("hardware")],
                             ids=["unknown operation", "unknown key", "exec of a value", "text for a number",
                                  "unknown self test"])
    def test_unknown_names_and_wrong_uses_are_misuses(self, client, use):
        with pytest.raises(radalt.Misuse):
            use(client)


class TestSelfTest:
    def test_basic_and_software_run_through_the_harness_and_change_nothing(self, client):
        before = {k: client.get(k) for k in ("NOOFENABLEDCHANNELS", "RUNSTOPTEST", "CH1:OUTPWRLVL")}
        results = {}

        def run(kind):
            results[kind] = client.selftest(kind)

        threads = [threading.Thread(target=run, args=(k,)) for k in ("basic", "software")]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        assert results["basic"][0].startswith("Basic Self Test (RadAltMC Module): PASSED"), results["basic"]
        assert results["software"][0].startswith("Software Self Test (RadAltMC Module): PASSED"), results["software"]
        assert {k: client.get(k) for k in before} == before


class TestJournal:
    def test_a_refused_write_is_journalled_with_its_texts_and_the_filters_select_it(self, three_channels):
        client = three_channels
        with pytest.raises(radalt.RangeError):
            client.set("NOOFENABLEDCHANNELS", 5)
        root = os.path.join(os.environ["RUN_DIR"], "root")

        def refused():
            return [e for e in radalt.journal(root=root, refused=True, writer="radalt-python")
                    if e["key"].startswith("NOOFENABLEDCHANNELS")]

        deadline = time.monotonic() + 5
        while not refused() and time.monotonic() < deadline:
            time.sleep(0.05)
        entry = refused()[-1]
        assert (entry["kind"], entry["outcome"], entry["refusal"]) == ("write", "refused", "DataOutOfRange")
        assert entry["message"] == "Attribute : NoOfEnabledChannelsCallback - illegal no of channels"
        assert (entry["before"], entry["requested"], entry["after"]) == ("3", "5", "3")
        assert all(e["outcome"] in ("refused", "failed") for e in radalt.journal(root=root, refused=True))
        with pytest.raises(ValueError):
            radalt.journal(root=root, since="yesterday")


class TestEngineHostRestart:
    """Runs last: the engine host is stopped and started again under a kept client."""

    def test_a_kept_client_reaches_the_engine_host_started_again(self, client):
        run = os.environ["RUN_DIR"]
        pid = int(open(os.path.join(run, "enginehost.pid")).read())
        os.kill(pid, signal.SIGTERM)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            try:
                os.kill(pid, 0)
            except ProcessLookupError:
                break
            time.sleep(0.05)
        top = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
        subprocess.run(["bash", os.path.join(top, "scripts", "run.sh")], check=True, stdout=subprocess.DEVNULL)
        assert client.get("NOOFENABLEDCHANNELS") == 3
        assert "NOOFENABLEDCHANNELS1" in client.names()
