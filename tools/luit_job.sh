#!/bin/sh
# The small job-control shell that ./play runs under luit, which runs the
# game as a foreground job of its own and talks to play through two pipes.
#
# Why: luit passes on neither the game's exit status nor its process id,
# and the command it runs leads a session of its own on luit's terminal,
# where a process group with no parent in another group is orphaned: the
# kernel drops the Ctrl-Z typed there. This shell (sh with set -m) is that
# parent.
#
# On descriptor 3 it reports, a line each: "starting" just before it starts
# the game; then the game's process id, which is also its process group,
# written by the game's process itself just before it becomes the game, so
# that it is in the foreground before it can show a prompt; then "stopped"
# each time the game is stopped (Ctrl-Z); then the game's status. After each
# "stopped" it waits for a line from play on descriptor 4 before it brings
# the game back to the foreground. Should play go away while the game is
# stopped, the game is hung up rather than left stopped.
#
# The game gets back the default Ctrl-C and Ctrl-\ that a background job
# ignores (env --default-signal, coreutils 8.31 and later), and neither
# pipe, so only luit and this shell hold them.
#
# Usage (./play's only): sh luit_job.sh PROGRAM 3>REPORT 4<WORD_FROM_PLAY
#   (and, run by itself as the job: sh luit_job.sh --game PROGRAM)
if [ "$1" = --game ]; then
  echo $$ >&3
  exec env --default-signal=INT,QUIT "$2" 3>&-
fi
set -m
echo starting >&3
sh "$0" --game "$1" 4<&-
status=$?
while kill -0 %1 2>/dev/null; do
  echo stopped >&3
  if ! read -r _ <&4; then
    kill -s HUP %1
    kill -s CONT %1
  fi
  fg >/dev/null
  status=$?
done
echo "$status" >&3
