// SPDX-License-Identifier: GPL-3.0-or-later
// The little of WASI (wasi_snapshot_preview1) that the module's C and C++
// runtime asks for: standard output and error to the console, clocks, random
// bytes, no arguments and no environment. Everything else answers "not
// supported" (ENOSYS), so that a call the runtime makes only in passing
// fails the way it would on a system without it.
"use strict";

const QrbWasi = (() => {
    const ESUCCESS = 0;
    const EBADF = 8;
    const EINVAL = 28;
    const ENOSYS = 52;

    class Exit extends Error {
        constructor(code) {
            super(`proc_exit(${code})`);
            this.code = code;
        }
    }

    function create() {
        let memory = null;
        const view = () => new DataView(memory.buffer);
        const bytes = () => new Uint8Array(memory.buffer);
        // Output written so far that has not reached the end of a line.
        const pending = { 1: "", 2: "" };
        const decoder = new TextDecoder();

        function emit(fd, text) {
            const lines = (pending[fd] + text).split("\n");
            pending[fd] = lines.pop();
            for (const line of lines) {
                (fd === 2 ? console.error : console.log)(line);
            }
        }

        const calls = {
            args_sizes_get(countOut, sizeOut) {
                view().setUint32(countOut, 0, true);
                view().setUint32(sizeOut, 0, true);
                return ESUCCESS;
            },
            args_get() {
                return ESUCCESS;
            },
            environ_sizes_get(countOut, sizeOut) {
                view().setUint32(countOut, 0, true);
                view().setUint32(sizeOut, 0, true);
                return ESUCCESS;
            },
            environ_get() {
                return ESUCCESS;
            },
            clock_res_get(clock, out) {
                view().setBigUint64(out, 1000n, true);
                return ESUCCESS;
            },
            // Realtime (0) from the epoch, every other clock from the page's
            // start; in nanoseconds.
            clock_time_get(clock, precision, out) {
                const ms = clock === 0 ? Date.now() : performance.now();
                view().setBigUint64(out, BigInt(Math.round(ms * 1e6)), true);
                return ESUCCESS;
            },
            random_get(at, length) {
                // getRandomValues fills at most 65536 bytes at a time.
                for (let done = 0; done < length; done += 65536) {
                    const n = Math.min(65536, length - done);
                    crypto.getRandomValues(bytes().subarray(at + done, at + done + n));
                }
                return ESUCCESS;
            },
            proc_exit(code) {
                throw new Exit(code);
            },
            fd_write(fd, iovs, count, writtenOut) {
                if (fd !== 1 && fd !== 2) {
                    return EBADF;
                }
                let written = 0;
                for (let i = 0; i < count; ++i) {
                    const base = view().getUint32(iovs + i * 8, true);
                    const length = view().getUint32(iovs + i * 8 + 4, true);
                    emit(fd, decoder.decode(bytes().subarray(base, base + length)));
                    written += length;
                }
                view().setUint32(writtenOut, written, true);
                return ESUCCESS;
            },
            fd_fdstat_get(fd, out) {
                if (fd > 2) {
                    return EBADF;
                }
                // A character device, no flags, every right.
                const v = view();
                v.setUint8(out, 2);
                v.setUint16(out + 2, 0, true);
                v.setBigUint64(out + 8, 0xffffffffn, true);
                v.setBigUint64(out + 16, 0xffffffffn, true);
                return ESUCCESS;
            },
            // No folder is opened beforehand.
            fd_prestat_get() {
                return EBADF;
            },
            fd_prestat_dir_name() {
                return EBADF;
            },
            fd_close(fd) {
                return fd <= 2 ? ESUCCESS : EBADF;
            },
            fd_seek(fd) {
                return fd <= 2 ? EINVAL : EBADF;
            },
            fd_read(fd) {
                return fd <= 2 ? EINVAL : EBADF;
            },
        };
        const imports = new Proxy(calls, {
            get: (known, name) => (name in known ? known[name] : () => ENOSYS),
        });
        return {
            imports: { wasi_snapshot_preview1: imports },
            // The module's memory, once it is instantiated.
            attach(instance) {
                memory = instance.exports.memory;
            },
        };
    }

    return { create, Exit };
})();
