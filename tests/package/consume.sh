#!/usr/bin/env bash
# Consumes dravin as another project would, and runs what it built headless
# for five frames, checking the screenshot shows the scene.
#   consume.sh installed    BUILD_DIR SOURCE_DIR WORK_DIR
#     installs BUILD_DIR into a fresh prefix; copies each example elsewhere and
#     builds it there with find_package; also links a program through dravin.pc
#   consume.sh subdirectory BUILD_DIR SOURCE_DIR WORK_DIR
#     builds the spinning-model example in a project that adds dravin's
#     sources with add_subdirectory
set -euo pipefail
mode=$1 build=$2 source=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"

# Runs a command quietly, showing its output only when it fails.
quiet() {
  if ! "$@" >"$work/step.log" 2>&1; then
    cat "$work/step.log"
    echo "failed: $*"
    exit 1
  fi
}

# name, the share of the picture that must differ from the background, and
# how many colours that part must hold (the materials, the movie's wheel).
run_example() {
  local program=$1 share=$2 colours=$3
  local png=$work/$(basename "$program").png
  SDL_VIDEODRIVER=offscreen quiet timeout 120 "$program" --frames 5 --screenshot "$png"
  python3 "$here/picture_has_content.py" "$png" "$share" "$colours"
}

case $mode in
installed)
  quiet cmake --install "$build" --prefix "$work/prefix"
  for file in lib/cmake/dravin/dravinConfig.cmake lib/cmake/dravin/dravinConfigVersion.cmake \
              lib/pkgconfig/dravin.pc include/dravin/mesh/MyOBJ.h include/dravin/app/Run.h; do
    [ -e "$work/prefix/$file" ] || { echo "not installed: $file"; exit 1; }
  done
  if grep -rlE '#[[:space:]]*include[[:space:]]*[<"](SDL|libav|libsw)' "$work/prefix/include"; then
    echo "installed headers include SDL or FFmpeg, which stay private"
    exit 1
  fi
  for example in spinning-model:0.05:5 video-wall:0.1:1000 input:0.002:2; do
    IFS=: read -r name share colours <<<"$example"
    cp -r "$source/examples/$name" "$work/$name"
    quiet cmake -S "$work/$name" -B "$work/$name/build" -DCMAKE_PREFIX_PATH="$work/prefix" \
      -DCMAKE_BUILD_TYPE=Release
    quiet cmake --build "$work/$name/build" -j2
    run_example "$work/$name/build/$name" "$share" "$colours"
  done
  # pkg-config alone: compile and link a program that uses a model.
  cat >"$work/pc.cpp" <<'CPP'
#include <dravin/image/VideoTexture.h>
#include <dravin/mesh/MyOBJ.h>
#include <memory>
int main() {
    auto model = std::make_unique<MyOBJ>();
    model->loadOBJText("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    return VideoTexture::FrameForTime(0.0f, 4);
}
CPP
  quiet sh -c "c++ -std=c++20 '$work/pc.cpp' -o '$work/pc' \
    \$(PKG_CONFIG_PATH='$work/prefix/lib/pkgconfig' pkg-config --cflags --libs dravin)"
  quiet "$work/pc"
  echo "pkg-config: a program compiled and linked with dravin.pc runs"
  # The installed thumbnailer entry as a file manager runs it: its Exec line
  # with %s, %i and %o filled in, the program found through PATH.
  thumb=$work/thumbnail.png
  line=$(sed -n 's/^Exec=//p' "$work/prefix/share/thumbnailers/dravin.thumbnailer")
  line=${line//%s/128}
  line=${line//%i/$work/prefix/lib/dravin/Resources/1.obj}
  quiet env PATH="$work/prefix/bin:$PATH" sh -c "${line//%o/$thumb}"
  python3 -c 'import struct, sys; assert struct.unpack(">II", open(sys.argv[1], "rb").read()[16:24]) == (128, 128)' "$thumb"
  python3 "$here/picture_has_content.py" "$thumb" 0.05 5
  echo "thumbnailer: the installed entry's command drew the model"
  ;;
subdirectory)
  quiet cmake -S "$here/subdirectory" -B "$work/build" -DDRAVIN_SOURCE_DIR="$source" \
    -DCMAKE_BUILD_TYPE=Release
  quiet cmake --build "$work/build" -j2 --target spinning-model
  run_example "$work/build/spinning-model/spinning-model" 0.05 5
  ;;
*)
  echo "usage: consume.sh installed|subdirectory BUILD_DIR SOURCE_DIR WORK_DIR" >&2
  exit 2
  ;;
esac
