# Chooses how a bench script runs a makensis-built installer, from the DLL it ships ($dll):
#   . bench/installer-runner.sh     # sets target (x86-unicode or amd64-unicode) and runner
# An i686 DLL runs in the emulated guest (tests/guest/run-installer.sh), with time limits raised
# for long runs; an x86_64 one under wine64 (tests/harness/run-installer.sh).
: "${dll:?dll: the DLL the installer ships}" "${root:?root: the repository}"
if i686-w64-mingw32-objdump -f "$dll" 2>/dev/null | grep -q 'pei-i386'; then
  target=x86-unicode runner=$root/tests/guest/run-installer.sh
  # Generous: under emulation a long run moves at a few MB/s.
  export MSK_GUEST_TIMEOUT=${MSK_GUEST_TIMEOUT:-5400} MSK_GUEST_TEST_TIMEOUT=${MSK_GUEST_TEST_TIMEOUT:-5200}
else
  target=amd64-unicode runner=$root/tests/harness/run-installer.sh
fi
