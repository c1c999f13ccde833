// SPDX-License-Identifier: GPL-3.0-or-later
// The little of WASI (wasi_snapshot_preview1) that the modules' C and C++
// runtime asks for: standard output and error to the console, clocks, random
// bytes, no arguments and no environment; and, where asked for, one folder
// opened beforehand whose files live in memory (the report's module: the
// workbook's temporary files and the workbook itself). Everything else
// answers "not supported" (ENOSYS), so that a call the runtime makes only in
// passing fails the way it would on a system without it.
"use strict";

const QrbWasi = (() => {
    const ESUCCESS = 0;
    const EBADF = 8;
    const EEXIST = 20;
    const EINVAL = 28;
    const EISDIR = 31;
    const ENOENT = 44;
    const ENOSYS = 52;
    const ENOTDIR = 54;

    const FILETYPE_CHARACTER_DEVICE = 2;
    const FILETYPE_DIRECTORY = 3;
    const FILETYPE_REGULAR_FILE = 4;
    const OFLAGS_CREAT = 1;
    const OFLAGS_DIRECTORY = 2;
    const OFLAGS_EXCL = 4;
    const OFLAGS_TRUNC = 8;
    const FDFLAGS_APPEND = 1;
    const WHENCE_SET = 0;
    const WHENCE_CUR = 1;
    const WHENCE_END = 2;
    // Every right: the folder grants whatever the C library asks for.
    const ALL_RIGHTS = 0x1fffffffn;
    // The folder's descriptor: the first after standard input, output and
    // error, where the C library looks for the folders opened beforehand.
    const FOLDER_FD = 3;

    class Exit extends Error {
        constructor(code) {
            super(`proc_exit(${code})`);
            this.code = code;
        }
    }

    // A file in memory; its bytes stay while a descriptor holds it, even
    // once its name is gone (as a temporary file's is at once).
    class MemoryFile {
        constructor() {
            this.data = new Uint8Array(0);
            this.size = 0;
        }

        bytes() {
            return this.data.subarray(0, this.size);
        }

        resize(size) {
            if (size > this.data.length) {
                const grown = new Uint8Array(Math.max(size, this.data.length * 2, 4096));
                grown.set(this.bytes());
                this.data = grown;
            } else if (size < this.size) {
                this.data.fill(0, size, this.size);
            }
            this.size = size;
        }

        write(at, bytes) {
            if (at + bytes.length > this.size) {
                this.resize(at + bytes.length);
            }
            this.data.set(bytes, at);
        }
    }

    // `options.folder`: the name of a folder in memory (e.g. "/tmp"), or none.
    function create(options = {}) {
        let memory = null;
        const view = () => new DataView(memory.buffer);
        const bytes = () => new Uint8Array(memory.buffer);
        // Output written so far that has not reached the end of a line.
        const pending = { 1: "", 2: "" };
        const decoder = new TextDecoder();
        const encoder = new TextEncoder();

        const folderName = options.folder ?? null;
        const files = new Map(); // name in the folder -> MemoryFile
        // Open descriptors beyond the first three: {file, at, append} for a
        // file, {folder: true} for the folder itself.
        const open = new Map();
        if (folderName !== null) {
            open.set(FOLDER_FD, { folder: true });
        }
        let nextFd = FOLDER_FD + 1;

        function emit(fd, text) {
            const lines = (pending[fd] + text).split("\n");
            pending[fd] = lines.pop();
            for (const line of lines) {
                (fd === 2 ? console.error : console.log)(line);
            }
        }

        // The iovecs of a call: [address, length] each.
        function* vectors(iovs, count) {
            for (let i = 0; i < count; ++i) {
                yield [view().getUint32(iovs + i * 8, true), view().getUint32(iovs + i * 8 + 4, true)];
            }
        }

        // A name in the folder; null for the folder itself, undefined for a
        // name it cannot hold (only plain names: it has no subfolders).
        function nameAt(fd, at, length) {
            const entry = open.get(fd);
            if (!entry || !entry.folder) {
                return undefined;
            }
            const name = decoder.decode(bytes().slice(at, at + length)).replace(/^(\.\/)+/, "");
            if (name === "" || name === ".") {
                return null;
            }
            return name.includes("/") ? undefined : name;
        }

        function writeStat(out, type, size) {
            const v = view();
            for (let i = 0; i < 64; i += 8) {
                v.setBigUint64(out + i, 0n, true);
            }
            v.setUint8(out + 16, type);
            v.setBigUint64(out + 24, 1n, true);
            v.setBigUint64(out + 32, BigInt(size), true);
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
                const entry = open.get(fd);
                if (fd !== 1 && fd !== 2 && !(entry && entry.file)) {
                    return EBADF;
                }
                let written = 0;
                for (const [base, length] of vectors(iovs, count)) {
                    const chunk = bytes().subarray(base, base + length);
                    if (entry) {
                        if (entry.append) {
                            entry.at = entry.file.size;
                        }
                        entry.file.write(entry.at, chunk);
                        entry.at += length;
                    } else {
                        emit(fd, decoder.decode(chunk));
                    }
                    written += length;
                }
                view().setUint32(writtenOut, written, true);
                return ESUCCESS;
            },
            fd_read(fd, iovs, count, readOut) {
                const entry = open.get(fd);
                if (!entry) {
                    return fd <= 2 ? EINVAL : EBADF;
                }
                if (!entry.file) {
                    return EISDIR;
                }
                let read = 0;
                for (const [base, length] of vectors(iovs, count)) {
                    const n = Math.max(0, Math.min(length, entry.file.size - entry.at));
                    bytes().set(entry.file.data.subarray(entry.at, entry.at + n), base);
                    entry.at += n;
                    read += n;
                    if (n < length) {
                        break;
                    }
                }
                view().setUint32(readOut, read, true);
                return ESUCCESS;
            },
            fd_seek(fd, offset, whence, out) {
                const entry = open.get(fd);
                if (!entry) {
                    return fd <= 2 ? EINVAL : EBADF;
                }
                if (!entry.file) {
                    return EISDIR;
                }
                const from = { [WHENCE_SET]: 0, [WHENCE_CUR]: entry.at, [WHENCE_END]: entry.file.size }[whence];
                const to = from === undefined ? -1 : from + Number(offset);
                if (to < 0) {
                    return EINVAL;
                }
                entry.at = to;
                view().setBigUint64(out, BigInt(to), true);
                return ESUCCESS;
            },
            fd_fdstat_get(fd, out) {
                const entry = open.get(fd);
                if (fd > 2 && !entry) {
                    return EBADF;
                }
                // A character device for the first three; no flags; every right.
                const v = view();
                const type = fd <= 2 ? FILETYPE_CHARACTER_DEVICE
                    : entry.file ? FILETYPE_REGULAR_FILE : FILETYPE_DIRECTORY;
                v.setUint8(out, type);
                v.setUint16(out + 2, entry && entry.append ? FDFLAGS_APPEND : 0, true);
                v.setBigUint64(out + 8, ALL_RIGHTS, true);
                v.setBigUint64(out + 16, ALL_RIGHTS, true);
                return ESUCCESS;
            },
            fd_fdstat_set_flags(fd, flags) {
                const entry = open.get(fd);
                if (!entry || !entry.file) {
                    return EBADF;
                }
                entry.append = (flags & FDFLAGS_APPEND) !== 0;
                return ESUCCESS;
            },
            // The folder opened beforehand, if any.
            fd_prestat_get(fd, out) {
                if (fd !== FOLDER_FD || folderName === null) {
                    return EBADF;
                }
                view().setUint8(out, 0); // a folder
                view().setUint32(out + 4, encoder.encode(folderName).length, true);
                return ESUCCESS;
            },
            fd_prestat_dir_name(fd, at, length) {
                if (fd !== FOLDER_FD || folderName === null) {
                    return EBADF;
                }
                bytes().set(encoder.encode(folderName).subarray(0, length), at);
                return ESUCCESS;
            },
            path_open(fd, dirflags, at, length, oflags, rightsBase, rightsInheriting, fdflags, out) {
                const name = nameAt(fd, at, length);
                if (name === undefined) {
                    return open.has(fd) ? ENOENT : EBADF;
                }
                let entry;
                if (name === null) {
                    entry = { folder: true };
                } else {
                    if (oflags & OFLAGS_DIRECTORY) {
                        return files.has(name) ? ENOTDIR : ENOENT;
                    }
                    let file = files.get(name);
                    if (file && (oflags & OFLAGS_CREAT) && (oflags & OFLAGS_EXCL)) {
                        return EEXIST;
                    }
                    if (!file) {
                        if (!(oflags & OFLAGS_CREAT)) {
                            return ENOENT;
                        }
                        file = new MemoryFile();
                        files.set(name, file);
                    }
                    if (oflags & OFLAGS_TRUNC) {
                        file.resize(0);
                    }
                    entry = { file, at: 0, append: (fdflags & FDFLAGS_APPEND) !== 0 };
                }
                const fdOut = nextFd++;
                open.set(fdOut, entry);
                view().setUint32(out, fdOut, true);
                return ESUCCESS;
            },
            path_filestat_get(fd, flags, at, length, out) {
                const name = nameAt(fd, at, length);
                if (name === undefined) {
                    return open.has(fd) ? ENOENT : EBADF;
                }
                if (name === null) {
                    writeStat(out, FILETYPE_DIRECTORY, 0);
                    return ESUCCESS;
                }
                const file = files.get(name);
                if (!file) {
                    return ENOENT;
                }
                writeStat(out, FILETYPE_REGULAR_FILE, file.size);
                return ESUCCESS;
            },
            path_unlink_file(fd, at, length) {
                const name = nameAt(fd, at, length);
                if (name === undefined || name === null) {
                    return name === null ? EISDIR : open.has(fd) ? ENOENT : EBADF;
                }
                return files.delete(name) ? ESUCCESS : ENOENT;
            },
            fd_close(fd) {
                if (fd <= 2) {
                    return ESUCCESS;
                }
                if (fd === FOLDER_FD || !open.has(fd)) {
                    return EBADF;
                }
                open.delete(fd);
                return ESUCCESS;
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
            // A file of the folder taken out of it: its bytes, or null when
            // there is none by that name.
            take(name) {
                const file = files.get(name);
                if (!file) {
                    return null;
                }
                files.delete(name);
                return file.bytes().slice();
            },
            // How many files the folder holds (none, once a report has
            // cleaned up after itself).
            get fileCount() {
                return files.size;
            },
        };
    }

    return { create, Exit };
})();
