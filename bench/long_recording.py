#!/usr/bin/env python3
"""Writes a long recording: bench/timedemo.txt's play again and again, its
frames and clock going on from one round to the next, until the file holds
at least SIZE megabytes (10^6 bytes); the Escape that ends it comes last only.
For measuring what a replay of hours of play costs:

    bench/long_recording.py 66 long.txt
    /usr/bin/time -v env VELMORA_VIDEO=headless build/linux/velmora --timedemo long.txt
"""

import os
import re
import sys

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "timedemo.txt")
LINE = re.compile(r"^(\d+) (\S+)(?: (\S+))?$")


def rounds():
    """The recording's lines as (frame, action, argument), Escape left out."""
    with open(SOURCE) as handle:
        lines = [LINE.match(line.split("#")[0].strip()) for line in handle]
    return [m.groups() for m in lines if m and m.group(3) != "ESCAPE"]


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: long_recording.py SIZE_MB OUTPUT")
    wanted = float(sys.argv[1]) * 1e6
    body = rounds()
    frames = int(body[-1][0]) + 1
    ticks = [int(argument) for _, action, argument in body if action == "tick"]
    span = ticks[-1] - ticks[0] + 17
    with open(sys.argv[2], "w") as out:
        out.write("velmora-script 1  # long_recording.py\n")
        turn = 0
        while out.tell() < wanted:
            for frame, action, argument in body:
                if action == "tick":
                    argument = str((int(argument) + turn * span) % 2**32)
                line = "%d %s" % (int(frame) + turn * frames, action)
                out.write(line + (" " + argument if argument else "") + "\n")
            turn += 1
        end = turn * frames
        out.write("%d down ESCAPE\n%d up ESCAPE\n" % (end, end))
    print("%s: %d rounds, %d frames, %.1f MB" % (sys.argv[2], turn, end, os.path.getsize(sys.argv[2]) / 1e6))


if __name__ == "__main__":
    main()
