"""Records what a play reported for each host as JSON, for tests/fleet/test_fleet.py: each task's
status and message, the tarnwick_* facts it set, and the play recap's counts. Enabled with
ANSIBLE_CALLBACKS_ENABLED=fleet_record; the file is TARNWICK_FLEET_RECORD."""

import json
import os

from ansible.plugins.callback import CallbackBase


class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = "aggregate"
    CALLBACK_NAME = "fleet_record"
    CALLBACK_NEEDS_ENABLED = True

    def __init__(self):
        super().__init__()
        self.hosts = {}

    def _record(self, result, status):
        found = result._result
        entry = {"task": result._task.get_name(), "status": status}
        if "msg" in found:
            entry["msg"] = str(found["msg"])
        # A looped set_fact leaves its facts in each item's result.
        facts = {}
        for part in [found] + list(found.get("results") or []):
            facts.update({k: v for k, v in (part.get("ansible_facts") or {}).items()
                          if k.startswith("tarnwick_")})
        if facts:
            entry["facts"] = facts
        self.hosts.setdefault(result._host.get_name(), []).append(entry)

    def v2_runner_on_ok(self, result):
        self._record(result, "changed" if result._result.get("changed") else "ok")

    def v2_runner_on_failed(self, result, ignore_errors=False):
        self._record(result, "failed")

    def v2_runner_on_skipped(self, result):
        self._record(result, "skipped")

    def v2_runner_on_unreachable(self, result):
        self._record(result, "unreachable")

    def v2_playbook_on_stats(self, stats):
        record = {"hosts": self.hosts,
                  "stats": {host: stats.summarize(host) for host in sorted(stats.processed)}}
        with open(os.environ["TARNWICK_FLEET_RECORD"], "w") as out:
            json.dump(record, out, indent=1, default=str)
