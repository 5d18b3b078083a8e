package ixa.internal;

import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.DirectoryStream;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.nio.file.attribute.FileTime;
import java.nio.file.attribute.PosixFilePermission;
import java.nio.file.attribute.PosixFilePermissions;
import java.security.MessageDigest;
import java.security.NoSuchAlgorithmException;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.HashSet;
import java.util.HexFormat;
import java.util.List;
import java.util.Locale;
import java.util.Set;
import java.util.stream.Stream;
import java.util.zip.CRC32;
import java.util.zip.CRC32C;

/**
 * Loads the native libraries behind the {@code ixa} and {@code ixa.testkit} classes. Not part of
 * the library's interface: the classes that declare native methods call it from their static
 * initialisers.
 *
 * <p>A set of libraries is first looked for with {@link System#loadLibrary}, so that an
 * application that ships them on {@code java.library.path} (or a packager that installs them
 * system-wide) keeps full control. When that fails, the copies that the jar carries under {@code
 * ixa/native/<os>-<arch>/} are extracted to the user's cache ({@code $XDG_CACHE_HOME/ixa/native},
 * else {@code ~/.cache/ixa/native}), into one folder per set and content hash (the last few
 * versions of each set are kept, the least recently used deleted), and loaded from there with
 * {@link System#load} in dependency order. A folder is written under a temporary name and renamed
 * into place in one step, so JVMs that start at the same time each see either nothing or the
 * complete folder; the folders are the user's own (mode 0700), and a folder that another user
 * owns or could write to is refused rather than loaded.
 *
 * <p>Each set is described by an index resource, {@code <name>.index}, written by the build: one
 * line per library in load order, {@code sha256 size file}, and optionally a first line {@code
 * requires <set>} naming a set that must be loaded before it.
 */
public final class NativeLibraries {
  /** Where the jar keeps its native libraries, one folder per platform. */
  static final String RESOURCE_ROOT = "/ixa/native/";

  private static final Set<String> LOADED = new HashSet<>();

  private NativeLibraries() {}

  /**
   * Loads the set of native libraries named {@code name} (the library that {@code
   * System.loadLibrary(name)} would load), at most once per JVM. The index and the libraries are
   * looked up as resources of {@code anchor}'s class loader. Safe to call from several threads.
   *
   * @param anchor a class from the jar that carries the set
   * @param name the set's name, such as {@code "brixdialogs"}
   * @throws UnsatisfiedLinkError when the libraries could be loaded neither from the library path
   *     nor from the jar; its message says what was tried and why each way failed
   */
  public static synchronized void load(Class<?> anchor, String name) {
    if (LOADED.contains(name)) return;
    UnsatisfiedLinkError fromLibraryPath;
    try {
      System.loadLibrary(name);
      LOADED.add(name);
      return;
    } catch (UnsatisfiedLinkError e) {
      fromLibraryPath = e;
    }
    try {
      loadFromJar(anchor, name);
      LOADED.add(name);
    } catch (IOException | RuntimeException | UnsatisfiedLinkError fromJar) {
      UnsatisfiedLinkError error =
          new UnsatisfiedLinkError(
              "could not load the native library \""
                  + name
                  + "\". Tried System.loadLibrary(\""
                  + name
                  + "\") with java.library.path="
                  + System.getProperty("java.library.path")
                  + ": "
                  + fromLibraryPath.getMessage()
                  + ". Then tried the copy in the jar: "
                  + fromJar.getMessage());
      error.initCause(fromJar);
      throw error;
    }
  }

  /** The platform folder name for this JVM, such as {@code linux-x86_64}. */
  static String platform() {
    String os = System.getProperty("os.name", "").toLowerCase(Locale.ROOT).replace(" ", "");
    String arch = System.getProperty("os.arch", "").toLowerCase(Locale.ROOT);
    if (arch.equals("amd64") || arch.equals("x86-64")) arch = "x86_64";
    return os + "-" + arch;
  }

  /** The cache folder: $XDG_CACHE_HOME when it is an absolute path, else ~/.cache. */
  static Path cacheRoot() {
    String xdg = System.getenv("XDG_CACHE_HOME");
    Path base =
        xdg != null && !xdg.isEmpty() && Path.of(xdg).isAbsolute()
            ? Path.of(xdg)
            : Path.of(System.getProperty("user.home"), ".cache");
    return base.resolve("ixa").resolve("native");
  }

  private static void loadFromJar(Class<?> anchor, String name) throws IOException {
    String folder = RESOURCE_ROOT + platform() + "/";
    byte[] indexBytes = resource(anchor, folder + name + ".index");
    if (indexBytes == null)
      throw new IOException(
          "the class path holds no "
              + folder
              + name
              + ".index (this jar carries native libraries for linux-x86_64; this JVM runs on "
              + platform()
              + ")");
    Index index = Index.parse(new String(indexBytes, StandardCharsets.UTF_8));
    if (index.requires != null) load(anchor, index.requires);
    Path directory = extract(anchor, folder, index, name + "-" + folderId(indexBytes));
    for (Index.Entry entry : index.entries) {
      Path library = directory.resolve(entry.file);
      try {
        System.load(library.toString());
      } catch (UnsatisfiedLinkError e) {
        throw new IOException("System.load(\"" + library + "\") failed: " + e.getMessage(), e);
      }
    }
  }

  /**
   * The folder that holds the set's libraries ({@code <set>-<hash of its index>}): the existing
   * one when it is complete, else a new one written under a temporary name and renamed into
   * place, after which the set's folders of older versions beyond the last few are deleted.
   */
  static Path extract(Class<?> anchor, String folder, Index index, String hash)
      throws IOException {
    Path root = cacheRoot();
    Files.createDirectories(root, PosixFilePermissions.asFileAttribute(OWNER_ONLY));
    makePrivate(root);
    Path directory = root.resolve(hash);
    if (Files.isDirectory(directory, LinkOption.NOFOLLOW_LINKS)) {
      checkPrivate(directory);
      if (complete(directory, index)) {
        // Its time says when a version was last used: the least recent go first.
        Files.setLastModifiedTime(directory, FileTime.fromMillis(System.currentTimeMillis()));
        return directory;
      }
      // An earlier extraction cannot leave a partial folder, so this one was changed by hand:
      // move it aside and write it anew.
      Path aside = Files.createTempDirectory(root, ".stale-" + hash + "-");
      try {
        Files.move(directory, aside.resolve("old"), StandardCopyOption.ATOMIC_MOVE);
      } catch (NoSuchFileException anotherJvmMovedIt) {
        // and writes it anew as this one does
      }
      deleteTree(aside);
    }
    sweepLeftovers(root);
    Path staging = Files.createTempDirectory(root, ".partial-" + hash + "-");
    try {
      StringBuilder checksums = new StringBuilder();
      for (Index.Entry entry : index.entries)
        checksums.append(write(anchor, folder, entry, staging)).append('\n');
      Files.writeString(staging.resolve(CHECKSUMS), checksums, StandardCharsets.UTF_8);
      try {
        Files.move(staging, directory, StandardCopyOption.ATOMIC_MOVE);
      } catch (IOException notMoved) {
        // Another JVM renamed its complete copy into place first: use that one.
        if (!Files.isDirectory(directory, LinkOption.NOFOLLOW_LINKS))
          throw new IOException(
              "cannot rename " + staging + " to " + directory + ": " + notMoved, notMoved);
      }
    } finally {
      if (Files.exists(staging, LinkOption.NOFOLLOW_LINKS)) deleteTree(staging);
    }
    checkPrivate(directory);
    if (!complete(directory, index))
      throw new IOException(directory + " does not hold the libraries the jar carries");
    pruneOldVersions(root, hash.substring(0, hash.lastIndexOf('-') + 1), directory);
    return directory;
  }

  /** How many versions of a set the cache keeps, the one in use among them. */
  static final int KEPT_VERSIONS = 3;

  /**
   * Deletes the set's folders (named {@code prefix<hash>}) beyond the {@link #KEPT_VERSIONS} used
   * most recently, and the folders named by a hash alone that older versions of this class wrote.
   * A JVM still running from a deleted folder keeps its libraries: they stay mapped.
   */
  private static void pruneOldVersions(Path root, String prefix, Path current) {
    List<Path> versions = new ArrayList<>();
    try (DirectoryStream<Path> entries = Files.newDirectoryStream(root)) {
      for (Path entry : entries) {
        String name = entry.getFileName().toString();
        if (name.matches("[0-9a-f]{32}")) deleteQuietly(entry);
        else if (name.startsWith(prefix) && !entry.equals(current)) versions.add(entry);
      }
    } catch (IOException unreadable) {
      return;
    }
    versions.sort(Comparator.comparingLong(NativeLibraries::lastUsed).reversed());
    for (Path old : versions.subList(Math.min(versions.size(), KEPT_VERSIONS - 1), versions.size()))
      deleteQuietly(old);
  }

  private static long lastUsed(Path folder) {
    try {
      return Files.getLastModifiedTime(folder, LinkOption.NOFOLLOW_LINKS).toMillis();
    } catch (IOException gone) {
      return 0;
    }
  }

  private static void deleteQuietly(Path folder) {
    try {
      deleteTree(folder);
    } catch (IOException anotherJvmDeletedIt) {
      // nothing left to do
    }
  }

  /**
   * Copies one library out of the jar, checked against the index's SHA-256; returns its line of
   * the folder's checksums file.
   */
  private static String write(Class<?> anchor, String folder, Index.Entry entry, Path staging)
      throws IOException {
    String path = folder + entry.file;
    MessageDigest digest = sha256Digest();
    long size = 0;
    Path target = staging.resolve(entry.file);
    try (InputStream in = anchor.getResourceAsStream(path)) {
      if (in == null) throw new IOException("the class path holds no " + path);
      try (OutputStream out = Files.newOutputStream(target)) {
        byte[] buffer = new byte[1 << 16];
        for (int n; (n = in.read(buffer)) > 0; size += n) {
          digest.update(buffer, 0, n);
          out.write(buffer, 0, n);
        }
      }
    }
    if (size != entry.size || !hex(digest.digest()).equals(entry.sha256))
      throw new IOException(path + " in the jar does not match its index (a damaged jar?)");
    Files.setPosixFilePermissions(target, PosixFilePermissions.fromString("r-x------"));
    return checksumLine(entry, crc32c(Files.readAllBytes(target)));
  }

  /**
   * The file in each folder that records, for every library, the index's line and a CRC-32C of
   * the copy as it was written after its SHA-256 was checked.
   */
  static final String CHECKSUMS = "checksums";

  private static String checksumLine(Index.Entry entry, long crc) {
    return entry.sha256 + " " + entry.size + " " + Long.toHexString(crc) + " " + entry.file;
  }

  /**
   * Every library is there with the content the index names: the folder's checksums file was
   * written for this index, and each copy still has the size and the CRC-32C it was written
   * with. A CRC is checked rather than the SHA-256 because a JVM's first SHA-256 costs about a
   * hundred milliseconds of every start (its provider and code are cold); the SHA-256 is checked
   * once, as the copy is written, and a CRC finds a copy changed by accident or by hand since.
   */
  private static boolean complete(Path directory, Index index) throws IOException {
    Path checksums = directory.resolve(CHECKSUMS);
    if (!Files.isRegularFile(checksums, LinkOption.NOFOLLOW_LINKS)) return false;
    List<String> lines = Files.readAllLines(checksums, StandardCharsets.UTF_8);
    if (lines.size() != index.entries.size()) return false;
    for (int i = 0; i < lines.size(); i++) {
      Index.Entry entry = index.entries.get(i);
      String[] fields = lines.get(i).split(" ");
      if (fields.length != 4) return false;
      Path file = directory.resolve(entry.file);
      if (!Files.isRegularFile(file, LinkOption.NOFOLLOW_LINKS) || Files.size(file) != entry.size)
        return false;
      long crc;
      try {
        crc = Long.parseLong(fields[2], 16);
      } catch (NumberFormatException notOurs) {
        return false;
      }
      if (!lines.get(i).equals(checksumLine(entry, crc))) return false;
      if (crc32c(Files.readAllBytes(file)) != crc) return false;
    }
    return true;
  }

  private static long crc32c(byte[] bytes) {
    CRC32C crc = new CRC32C();
    crc.update(bytes);
    return crc.getValue();
  }

  /**
   * The folder's name for an index: two different checksums of its bytes (64 bits). An index of
   * another version that gave the same name is still told apart, by the checksums file.
   */
  private static String folderId(byte[] indexBytes) {
    CRC32 crc = new CRC32();
    crc.update(indexBytes);
    long both = crc.getValue() << 32 | crc32c(indexBytes);
    String hex = Long.toHexString(both);
    return "0".repeat(16 - hex.length()) + hex;
  }

  /**
   * Removes what JVMs that died while extracting left behind: temporary folders older than ten
   * minutes, far longer than an extraction takes.
   */
  private static void sweepLeftovers(Path root) throws IOException {
    long limit = System.currentTimeMillis() - 10 * 60 * 1000;
    try (DirectoryStream<Path> entries = Files.newDirectoryStream(root, ".*-*")) {
      for (Path entry : entries) {
        String name = entry.getFileName().toString();
        if (!name.startsWith(".partial-") && !name.startsWith(".stale-")) continue;
        try {
          if (Files.getLastModifiedTime(entry, LinkOption.NOFOLLOW_LINKS).toMillis() < limit)
            deleteTree(entry);
        } catch (IOException goneMeanwhile) {
          // another JVM swept it first
        }
      }
    }
  }

  private static final Set<PosixFilePermission> OWNER_ONLY =
      PosixFilePermissions.fromString("rwx------");

  /** The folder is ours: tightened to 0700 when it was looser. */
  private static void makePrivate(Path directory) throws IOException {
    checkOwner(directory);
    if (!Files.getPosixFilePermissions(directory, LinkOption.NOFOLLOW_LINKS).equals(OWNER_ONLY))
      Files.setPosixFilePermissions(directory, OWNER_ONLY);
  }

  /** A folder another user could have written is never loaded from. */
  private static void checkPrivate(Path directory) throws IOException {
    checkOwner(directory);
    Set<PosixFilePermission> permissions =
        Files.getPosixFilePermissions(directory, LinkOption.NOFOLLOW_LINKS);
    if (permissions.contains(PosixFilePermission.GROUP_WRITE)
        || permissions.contains(PosixFilePermission.OTHERS_WRITE))
      throw new IOException(directory + " is writable by other users; not loading from it");
  }

  private static void checkOwner(Path path) throws IOException {
    if (Files.isSymbolicLink(path)) throw new IOException(path + " is a symbolic link");
    Object owner = Files.getAttribute(path, "unix:uid", LinkOption.NOFOLLOW_LINKS);
    Object self = Files.getAttribute(Path.of("/proc/self"), "unix:uid");
    if (!owner.equals(self))
      throw new IOException(path + " belongs to another user (uid " + owner + ")");
  }

  private static byte[] resource(Class<?> anchor, String path) throws IOException {
    try (InputStream in = anchor.getResourceAsStream(path)) {
      return in == null ? null : in.readAllBytes();
    }
  }

  private static void deleteTree(Path root) throws IOException {
    try (Stream<Path> paths = Files.walk(root)) {
      for (Path path : paths.sorted(Comparator.reverseOrder()).toList()) Files.deleteIfExists(path);
    }
  }

  private static MessageDigest sha256Digest() {
    try {
      return MessageDigest.getInstance("SHA-256");
    } catch (NoSuchAlgorithmException e) {
      throw new IllegalStateException("every JVM provides SHA-256", e);
    }
  }

  private static String hex(byte[] bytes) {
    return HexFormat.of().formatHex(bytes);
  }

  /** The build's description of one set of libraries. */
  static final class Index {
    /** One library: its SHA-256 (lower-case hex), its size in bytes and its file name. */
    record Entry(String sha256, long size, String file) {}

    final String requires;
    final List<Entry> entries;

    private Index(String requires, List<Entry> entries) {
      this.requires = requires;
      this.entries = entries;
    }

    static Index parse(String text) throws IOException {
      String requires = null;
      List<Entry> entries = new ArrayList<>();
      for (String line : text.split("\n")) {
        String[] fields = fields(line);
        if (fields.length == 2 && fields[0].equals("requires")) {
          requires = fields[1];
        } else if (fields.length == 3
            && fields[0].length() == 64
            && only(fields[0], "0123456789abcdef")
            && fields[1].length() <= 12
            && only(fields[1], "0123456789")
            && only(fields[2], "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._+-")
            && !fields[2].startsWith(".")) {
          entries.add(new Entry(fields[0], Long.parseLong(fields[1]), fields[2]));
        } else if (!line.isBlank()) {
          throw new IOException("unreadable line in the native library index: " + line);
        }
      }
      if (entries.isEmpty()) throw new IOException("the native library index lists no library");
      return new Index(requires, entries);
    }

    // The index is read by plain loops, not regular expressions: this runs in every
    // application's first call, where Java's regular expressions cost milliseconds to start.

    /** The line's fields, split at runs of blanks. */
    private static String[] fields(String line) {
      List<String> fields = new ArrayList<>();
      int start = -1;
      for (int i = 0; i <= line.length(); i++) {
        boolean blank = i == line.length() || Character.isWhitespace(line.charAt(i));
        if (!blank && start < 0) start = i;
        if (blank && start >= 0) {
          fields.add(line.substring(start, i));
          start = -1;
        }
      }
      return fields.toArray(new String[0]);
    }

    /** Whether the text is not empty and holds only the allowed characters. */
    private static boolean only(String text, String allowed) {
      if (text.isEmpty()) return false;
      for (int i = 0; i < text.length(); i++)
        if (allowed.indexOf(text.charAt(i)) < 0) return false;
      return true;
    }
  }
}
