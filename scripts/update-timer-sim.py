#!/usr/bin/env python3
# The weekly download in a car, boot by boot: DAYS days of a computer that is
# on for an hour a day (started at a random time of day) and offline on half
# of the days, under the timer as packaged and under the one it replaced
# (OnCalendar=weekly, RandomizedDelaySec=1d, Persistent=true, as systemd 252
# runs it: the catch-up at boot waits the same random delay). Prints the
# longest wait for a list that is due and how many downloads got through.
#   update-timer-sim.py [DAYS] [RUNS]
import random, sys

DAY, HOUR, MIN = 86400, 3600, 60
WEEK = 7 * DAY
DUE = 6  # the packaged service downloads once the last download is this many dates back


def packaged(boots, online):
    """Tries 2 min (+ up to 1 min) after boot and every 30 min after the last;
    a try downloads when the last download that succeeded was made DUE or
    more days back by the date, whatever the time of day."""
    done, tries = [], 0
    for start, end in boots:
        t = start + 2 * MIN + random.uniform(0, MIN)
        while t < end:
            if not done or t // DAY - done[-1] // DAY >= DUE:
                tries += 1
                if online(t):
                    done.append(t)
            t += 30 * MIN + random.uniform(0, MIN)
    return done, tries


def replaced(boots, online):
    """A weekly elapse (Monday 00:00) plus a random delay of up to a day,
    drawn anew at each boot; a missed elapse is caught up at boot, after the
    same delay. Whatever the try gave, the next is a week later."""
    done, tries, last = [], 0, -WEEK
    for start, end in boots:
        delay = random.uniform(0, DAY)
        elapse = (start // WEEK) * WEEK  # the last Monday (day 0 is one)
        due = elapse + delay if last < elapse else elapse + WEEK + delay
        if last < elapse:
            due = max(due, start + delay)
        if start <= due < end:
            tries += 1
            last = due
            if online(due):
                done.append(due)
    return done, tries


def longest_wait(done, days):
    """The longest time without a download, in days, from the start to the end."""
    marks = [0.0] + done + [days * DAY]
    return max(b - a for a, b in zip(marks, marks[1:])) / DAY


def run(days, policy, offline_days):
    boots = [(d * DAY + random.uniform(6 * HOUR, 20 * HOUR),) for d in range(days)]
    boots = [(s, s + HOUR) for (s,) in boots]
    done, tries = policy(boots, lambda t: int(t // DAY) not in offline_days)
    return longest_wait(done, days), len(done), tries


def main():
    days = int(sys.argv[1]) if len(sys.argv) > 1 else 30
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    random.seed(1)
    for name, policy in (("packaged", packaged), ("replaced", replaced)):
        for pattern in ("every other day", "random half"):
            waits, counts, tries = [], [], []
            for _ in range(runs):
                if pattern == "every other day":
                    offline = set(range(random.randint(0, 1), days, 2))
                else:
                    offline = set(random.sample(range(days), days // 2))
                w, c, t = run(days, policy, offline)
                waits.append(w), counts.append(c), tries.append(t)
            waits.sort()
            print(f"{name:9} offline {pattern:15}: longest wait {waits[len(waits) // 2]:.1f} days (median), "
                  f"{waits[int(len(waits) * 0.95)]:.1f} (95%), {waits[-1]:.1f} (worst); "
                  f"downloads {sum(counts) / runs:.1f}, tries {sum(tries) / runs:.1f} in {days} days")


main()
