"""A fleet of simulated servers for the Ansible plays of examples/fleet.

Each server is a tests/cli/machine.py NativeMachine (its own .reg store seeded from
examples/server.reg, its own folder for drive C:, its own `net`), plus a staging folder standing in
for the folder the plays copy the program and the package to. The inventory reaches every server as
ansible_connection: local with its own environment. As a command, for bench/fleet_bench.sh:

    fleet.py bench --cli PATH [--hosts 20] [--forks 1 --forks 10]

installs the sample package on a fresh fleet per forks value and prints the wall time of the play,
the time tarnwick-cli itself took per host, from the logs' start and end events, and the wall time
of a second run, which finds every host installed.
"""

import argparse
import datetime
import glob
import json
import os
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE_ROOT, "tests", "cli"))

from machine import UNPRIVILEGED, NativeMachine, parse_log  # noqa: E402

PLAYS = os.path.join(SOURCE_ROOT, "examples", "fleet")
SAMPLE_PACKAGE = os.path.join(SOURCE_ROOT, "examples", "sample-package")
EXAMPLE_ANSWERS = os.path.join(PLAYS, "answers.ini")

RECAP_LINE = re.compile(r"^(\S+)\s+:\s+ok=(\d+)\s+changed=(\d+)\s+unreachable=(\d+)\s+failed=(\d+)"
                        r"\s+skipped=(\d+)\s+rescued=(\d+)\s+ignored=(\d+)\s*$", re.M)
RECAP_FIELDS = ("ok", "changed", "unreachable", "failed", "skipped", "rescued", "ignored")

# Runs the real program as the unprivileged user, for whom file modes count even when the play
# runs as root.
UNPRIVILEGED_CLI = """#!/bin/sh
exec setpriv --reuid=%(id)d --regid=%(id)d --clear-groups '%(cli)s' "$@"
"""


class Server:
    def __init__(self, fleet, name, cli):
        self.name = name
        self.machine = NativeMachine(cli, base=fleet.root)
        self.staging = os.path.join(self.machine.root, "staging")
        os.makedirs(self.staging)
        self.cli = cli
        self.answers = EXAMPLE_ANSWERS
        self.log_dir = os.path.join(fleet.logs, name)

    def deny_writes(self, path):
        """The folder path may no longer be written by this server's program."""
        self.machine.deny_writes(path)  # as root: the machine is the unprivileged user's now
        if self.machine.unprivileged and os.geteuid() == 0:
            wrapper = os.path.join(self.machine.root, "unprivileged", "tarnwick-cli")
            os.makedirs(os.path.dirname(wrapper))
            with open(wrapper, "w") as out:
                out.write(UNPRIVILEGED_CLI % {"id": UNPRIVILEGED, "cli": self.machine.cli})
            os.chmod(wrapper, 0o755)
            self.cli = wrapper

    def environment(self):
        return {"TARNWICK_REGISTRY": self.machine.store,
                "TARNWICK_DRIVES": "C:=" + self.machine.drive,
                "TARNWICK_COMPUTERNAME": self.name.upper(),
                "PATH": self.machine.bin + os.pathsep + os.environ.get("PATH", "/usr/bin:/bin")}

    def logs(self, kind):
        """The paths of the logs of kind ("install", "undo") fetched from this server, oldest first."""
        return sorted(glob.glob(os.path.join(self.log_dir, "*-%s.jsonl" % kind)))

    @staticmethod
    def events(path):
        with open(path, "rb") as f:
            return parse_log(f.read().decode("utf-8"))


class PlayRun:
    """One ansible-playbook run: its exit status, its output, the play recap parsed from the
    output, and what the recording callback saw."""

    def __init__(self, args, status, output, record, seconds, cpu_seconds):
        self.args = args
        self.status = status
        self.output = output
        self.record = record
        self.seconds = seconds
        self.cpu_seconds = cpu_seconds  # of ansible-playbook and everything it ran
        self.recap = {m.group(1): dict(zip(RECAP_FIELDS, map(int, m.groups()[1:])))
                      for m in RECAP_LINE.finditer(output.split("PLAY RECAP", 1)[-1])}

    def hosts_where(self, **counts):
        """The hosts whose recap has each of counts, as "changed=1" for changed >= 1, "changed=0"
        for exactly 0."""
        return sorted(host for host, recap in self.recap.items()
                      if all((recap[k] == 0) if v == 0 else (recap[k] >= v) for k, v in counts.items()))

    def facts(self, host):
        """The tarnwick_* facts the play set for host, the last value of each."""
        out = {}
        for entry in self.record.get("hosts", {}).get(host, []):
            out.update(entry.get("facts", {}))
        return out

    def tasks(self, host):
        return [(e["task"], e["status"]) for e in self.record.get("hosts", {}).get(host, [])]

    def describe(self):
        text = self.output
        if len(text) > 6000:
            text = text[:1500] + "\n[...]\n" + text[-4500:]
        return "ansible-playbook %s: exit status %d\n%s" % (" ".join(self.args), self.status, text)


def knows_rollback(cli):
    """Whether this tarnwick-cli's install takes --rollback: its usage lists every option."""
    done = subprocess.run([cli, "--help"], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, timeout=60)
    return b"--rollback" in done.stdout


class Fleet:
    def __init__(self, cli, names, base=None):
        # The plays pass --rollback by default; a program without it would refuse every install.
        self.rollback = knows_rollback(cli)
        self.root = tempfile.mkdtemp(prefix="tarnwick-fleet-", dir=base)
        os.chmod(self.root, 0o755)  # the unprivileged user reaches its machine through it
        self.logs = os.path.join(self.root, "logs")
        self.servers = {}
        try:
            for name in names:
                self.servers[name] = Server(self, name, cli)
        except BaseException:
            self.close()
            raise
        self.inventory = os.path.join(self.root, "inventory.json")
        self.config = os.path.join(self.root, "ansible.cfg")
        with open(self.config, "w") as out:
            out.write("[defaults]\n")

    def close(self):
        for server in self.servers.values():
            server.machine.close()
        shutil.rmtree(self.root, ignore_errors=True)

    def write_inventory(self):
        hosts = {}
        for name, server in self.servers.items():
            hosts[name] = {"tarnwick_cli": server.cli,
                           "tarnwick_answers": server.answers,
                           "tarnwick_remote_dir": server.staging,
                           "tarnwick_environment": server.environment()}
        inventory = {"tarnwick_servers": {
            "hosts": hosts,
            "vars": {"ansible_connection": "local",
                     "ansible_python_interpreter": "{{ ansible_playbook_python }}",
                     "tarnwick_package": SAMPLE_PACKAGE,
                     "tarnwick_log_dir": self.logs}}}
        if not self.rollback:
            inventory["tarnwick_servers"]["vars"]["tarnwick_rollback"] = False
        with open(self.inventory, "w") as out:
            json.dump(inventory, out, indent=1)

    def play(self, play, *args, forks=10, timeout=600):
        self.write_inventory()
        record = os.path.join(self.root, "record.json")
        if os.path.exists(record):
            os.unlink(record)
        ansible = os.path.join(self.root, "ansible")
        # TARNWICK_FLEET_CALLBACKS adds Ansible callbacks: ansible.posix.profile_tasks shows where
        # the time goes.
        callbacks = [c for c in os.environ.get("TARNWICK_FLEET_CALLBACKS", "").split(",") if c]
        callbacks.append("fleet_record")
        env = dict(os.environ)
        env.pop("TARNWICK_DIALOG_HOST", None)
        env.update(ANSIBLE_CONFIG=self.config, ANSIBLE_HOME=ansible,
                   ANSIBLE_LOCAL_TEMP=os.path.join(ansible, "local"),
                   ANSIBLE_REMOTE_TEMP=os.path.join(ansible, "remote"),
                   ANSIBLE_STDOUT_CALLBACK="default", ANSIBLE_NOCOLOR="1",
                   ANSIBLE_RETRY_FILES_ENABLED="0", PYTHONDONTWRITEBYTECODE="1",
                   ANSIBLE_CALLBACK_PLUGINS=os.path.join(HERE, "callback_plugins"),
                   ANSIBLE_CALLBACKS_ENABLED=",".join(callbacks), TARNWICK_FLEET_RECORD=record)
        command = ["ansible-playbook", "-i", self.inventory, "--forks", str(forks),
                   os.path.join(PLAYS, play)] + list(args)
        started = time.monotonic()
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        done = subprocess.run(command, env=env, cwd=self.root, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        seconds = time.monotonic() - started
        cpu_seconds = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        found = {}
        if os.path.exists(record):
            with open(record) as f:
                found = json.load(f)
        return PlayRun(command[1:], done.returncode, done.stdout.decode("utf-8", "replace"), found,
                       seconds, cpu_seconds)


def _stamp(text):
    return datetime.datetime.strptime(text, "%Y-%m-%dT%H:%M:%S.%fZ")


def bench(arguments):
    parser = argparse.ArgumentParser(prog="fleet.py bench")
    parser.add_argument("--cli", required=True)
    parser.add_argument("--hosts", type=int, default=20)
    parser.add_argument("--forks", type=int, action="append")
    options = parser.parse_args(arguments)
    names = ["srv%02d" % i for i in range(1, options.hosts + 1)]
    for forks in options.forks or [1, 10]:
        fleet = Fleet(os.path.abspath(options.cli), names)
        try:
            run = fleet.play("install.yml", forks=forks)
            if run.status != 0 or len(run.hosts_where(changed=1, failed=0)) != len(names):
                print(run.describe(), file=sys.stderr)
                return 1
            # every host's status says installed: nothing is installed again
            again = fleet.play("install.yml", forks=forks)
            if again.status != 0 or again.hosts_where(changed=1) or again.hosts_where(failed=1):
                print(again.describe(), file=sys.stderr)
                return 1
            took = []
            for server in fleet.servers.values():
                events = Server.events(server.logs("install")[-1])
                took.append((_stamp(events[-1]["time"]) - _stamp(events[0]["time"])).total_seconds())
            took.sort()
            print("%d hosts, forks %2d: play %.1f s wall, %.1f s CPU; tarnwick-cli install per host "
                  "%.3f s median, %.3f s max, %.2f s in all; second run (nothing to do) %.1f s wall, "
                  "%.1f s CPU"
                  % (len(names), forks, run.seconds, run.cpu_seconds, took[len(took) // 2],
                     took[-1], sum(took), again.seconds, again.cpu_seconds))
        finally:
            fleet.close()
    return 0


if __name__ == "__main__":
    if sys.argv[1:2] != ["bench"]:
        sys.exit(__doc__)
    sys.exit(bench(sys.argv[2:]))
