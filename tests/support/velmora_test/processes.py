"""Starting and stopping the processes a test runs beside the game.

A process started here leads a process group of its own, so that stopping it
stops whatever it started too (chromium's renderers, for one); every process
is stopped by its own id, never by a name."""

import os
import signal
import subprocess


def start(command, **options):
    """Popen in a new session: the process leads its own group."""
    return subprocess.Popen(command, start_new_session=True, **options)


def stop_process(process):
    """SIGTERM, then SIGKILL after ten seconds; to the whole group when the
    process leads one of its own, else to the process alone."""
    if process is None or process.poll() is not None:
        return
    try:
        group = os.getpgid(process.pid) == process.pid
    except ProcessLookupError:
        group = False
    for sig, wait in ((signal.SIGTERM, 10), (signal.SIGKILL, 10)):
        try:
            if group:
                os.killpg(process.pid, sig)
            else:
                process.send_signal(sig)
        except ProcessLookupError:
            pass
        try:
            process.wait(timeout=wait)
            return
        except subprocess.TimeoutExpired:
            continue


def cpu_seconds(pid):
    """User and system time of a process so far, in seconds (whole ticks of
    /proc/PID/stat)."""
    with open("/proc/%d/stat" % pid) as handle:
        fields = handle.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_seconds_fine(pid):
    """Time on a processor of every live thread of a process so far, in
    seconds, from the scheduler's nanoseconds: /proc/PID/stat counts in
    ticks of 10 ms, too coarse for a tenth of a millisecond a frame. Threads
    that have ended are not in it, so it suits a process in its steady
    state."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        with open("/proc/%d/task/%s/schedstat" % (pid, task), encoding="ascii") as handle:
            total += int(handle.read().split()[0])
    return total / 1e9


def wakes(pid):
    """Times every live thread of a process has gone to sleep of its own
    accord so far (voluntary context switches): each wait that ended."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        with open("/proc/%d/task/%s/status" % (pid, task), encoding="ascii") as status:
            for line in status:
                if line.startswith("voluntary_ctxt_switches"):
                    total += int(line.split()[1])
    return total
