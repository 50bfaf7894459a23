"""What the whole-program benchmarks share: the plain build, ecu-sim on a pseudo-terminal, and
flash-updater-cli run against it with its output read line by line as it comes."""
import os
import subprocess
import tempfile
import threading
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
BUILD = os.path.join(ROOT, "build")
ECU_SIM = os.path.join(BUILD, "sim", "ecu-sim")
CLI = os.path.join(BUILD, "src", "ui", "console", "flash-updater-cli")
LARGEST_IMAGE_MODEL = "17"  # P640


def build(*targets):
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j2", "--target", *targets], check=True, stdout=subprocess.DEVNULL)


class EcuSim:
    """ecu-sim serving the largest image's ECU at the line's pace; its terminal is `pty`."""

    def __init__(self, *extra, report=None):
        args = [ECU_SIM, "--model-code", LARGEST_IMAGE_MODEL, "--pace", *extra]
        if report:
            args += ["--report", report]
        self.process = subprocess.Popen(args, stdout=subprocess.PIPE, text=True)
        self.pty = self.process.stdout.readline().strip()
        if not self.pty:
            raise RuntimeError("ecu-sim did not start")

    def stop(self):
        """SIGTERM: ecu-sim writes its report and ends."""
        if self.process.poll() is None:
            self.process.terminate()
        self.process.wait()


class CliRun:
    """flash-updater-cli against one port, its standard output on a pipe; every line is kept with
    the time it arrived (seconds since the start)."""

    def __init__(self, pty, *args, stdin=subprocess.DEVNULL):
        # Journals go to a folder of the run's own, not the user's.
        self._state = tempfile.TemporaryDirectory(prefix="flash-updater-bench-")
        env = dict(os.environ, FLASH_UPDATER_PORTS=pty, XDG_STATE_HOME=self._state.name)
        self.lines = []
        self.started = time.monotonic()
        self.process = subprocess.Popen([CLI, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        stdin=stdin, env=env, text=True)
        self._seen = threading.Condition()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for line in self.process.stdout:
            with self._seen:
                self.lines.append((time.monotonic() - self.started, line.rstrip("\n")))
                self._seen.notify_all()
        with self._seen:
            self._seen.notify_all()

    def wait_for_line(self, start, timeout=300):
        """Seconds since the start at which a line beginning with `start` arrived, or None."""
        deadline = time.monotonic() + timeout
        with self._seen:
            while True:
                for at, line in self.lines:
                    if line.startswith(start):
                        return at
                left = deadline - time.monotonic()
                if left <= 0 or (self.process.poll() is not None and not self._reader.is_alive()):
                    return None
                self._seen.wait(min(left, 1.0))

    def wait(self):
        """Exit code and wall time in seconds; `usage` then holds the process's resource usage
        (ru_maxrss: its peak resident memory in KiB)."""
        _, status, self.usage = os.wait4(self.process.pid, 0)
        ended = time.monotonic() - self.started
        self.process.returncode = os.waitstatus_to_exitcode(status)
        self._reader.join()
        self.process.stderr.close()
        self._state.cleanup()
        return self.process.returncode, ended

    def last_line(self):
        return self.lines[-1][1] if self.lines else ""


def cpu_seconds(pid):
    """utime + stime of a running process, from /proc."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
