# Sourced by the bench scripts: the project's root and building what a bench runs.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Builds the given targets in the default build, configuring it first when there is none.
bench_build() {
  (cd "$root" && { [ -d build ] || cmake --preset default >/dev/null; } &&
    cmake --build build --target "$@" >/dev/null)
}
