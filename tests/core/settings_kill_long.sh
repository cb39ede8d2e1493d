#!/bin/sh
# The settings kill test at full length: 1,000 kills of a saving child (the suite makes 100).
#   tests/core/settings_kill_long.sh <build folder> [kills]
set -eu
build=${1:?usage: $0 <build folder> [kills]}
KD_KILL_ROUNDS=${2:-1000} exec "$build/tests/settings_kill_tests" --gtest_filter='SettingsKill.AKilledSave*'
