# DravoServ as a container image (also usable as a Dockerfile):
#
#   podman build -t dravoserv .
#   podman run -d -p 27888:27888/udp -p 25554:25554/udp -v dravo-data:/data dravoserv +UseGameSpy 1
#
# The build stage compiles the release build on BASE; the runtime stage holds nothing else than the
# program, the engine library, the guide, the sample game and the shared libraries they load, with their
# copyright files, so it needs no base of its own and has no shell. The program is the entry point: it
# reads the DRAVO_* variables itself, and starts from the sample game's configuration when /data holds
# none. The game installation is in the image (/opt/dravoserv/game, the working directory); the
# configuration and the log are in the volume /data. See "Running a fleet" in README.md and DravoSrv.txt
# for the environment variables and the fleet.
ARG BASE=docker.io/library/debian:12-slim

FROM ${BASE} AS build
RUN apt-get update \
 && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
        g++ cmake ninja-build ccache libcurl4-openssl-dev libncurses-dev nlohmann-json3-dev \
        ca-certificates \
 && rm -rf /var/lib/apt/lists/*
WORKDIR /src
COPY CMakeLists.txt CMakePresets.json DravoSrv.txt ./
COPY cmake cmake
COPY src src
COPY refengine refengine
COPY tools tools
COPY data data
COPY contrib contrib
# The compiler cache outlives the build (podman and docker keep cache mounts between builds), so that
# a rebuild after a small change compiles only what changed.
RUN --mount=type=cache,target=/root/.cache/ccache \
    cmake -S . -B /build -G Ninja -DCMAKE_BUILD_TYPE=Release -DDRAVO_BUILD_TESTS=OFF \
 && cmake --build /build --target dravoserv server
COPY deploy/container deploy/container
RUN deploy/container/stage-runtime.sh /build /rootfs

FROM scratch
COPY --from=build /rootfs /
ENV DRAVO_CONFIG=/data/dravosrv.cfg \
    DRAVO_CONFIG_SAMPLE=/opt/dravoserv/game/dravosrv.cfg \
    DRAVO_LOGFILE=/data/dravoserv.log \
    DRAVO_GAME_DIR=/opt/dravoserv/game
WORKDIR /opt/dravoserv/game
USER 10001:0
VOLUME /data
EXPOSE 27888/udp 25554/udp
STOPSIGNAL SIGTERM
ENTRYPOINT ["/opt/dravoserv/dravoserv", "-go", "-face", "headless"]
