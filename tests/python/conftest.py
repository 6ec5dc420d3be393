# The simulated test set the tests talk to is started by run_pytest.sh; RADALT_NS names it.
import os

import pytest
import radalt


@pytest.fixture(scope="session")
def client():
    return radalt.Client(os.environ["RADALT_NS"])


@pytest.fixture
def three_channels(client):
    """Leaves the enabled count at 3, as the test set starts."""
    yield client
    client.set("NOOFENABLEDCHANNELS", 3)
