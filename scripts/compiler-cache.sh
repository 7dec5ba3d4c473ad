# Sourced by the build scripts: compile through ccache when it is installed (scripts/install-deps.sh
# installs it), so that a rebuild, another preset's same sources or a fresh clone in another folder
# on the same machine reuse what was compiled before. Paths are taken relative to the tree.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(pwd)}
  export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
fi
