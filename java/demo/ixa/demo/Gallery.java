package ixa.demo;

import java.io.IOException;
import java.io.UncheckedIOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;

/**
 * A folder of PNG snapshots with an index.html that shows them in order, each with its caption.
 * The folder is named by the environment variable BRIX_GALLERY, else "gallery" in the current
 * directory; it is created when missing. Pictures are written as they are added; the index is
 * written (again) by {@link #writeIndex}.
 */
public final class Gallery {
  private record Entry(String caption, String fileName) {}

  /**
   * The program that writes the X server's screen as a PNG (scripts/x-screenshot.cpp), when the
   * tour runs on a live display and its screenshots are asked for (make demo-live sets
   * BRIX_LIVE_GALLERY=1); null otherwise.
   */
  private static final String SCREENSHOT_TOOL = screenshotTool();

  private final Path folder;
  private final List<Entry> entries = new ArrayList<>();

  /** The gallery in the folder that BRIX_GALLERY names, or "gallery". */
  public Gallery() {
    this(defaultFolder());
  }

  public Gallery(Path folder) {
    this.folder = folder;
    try {
      Files.createDirectories(folder);
    } catch (IOException e) {
      throw new UncheckedIOException("cannot create the gallery folder " + folder, e);
    }
  }

  private static Path defaultFolder() {
    String named = System.getenv("BRIX_GALLERY");
    return Path.of(named == null || named.isEmpty() ? "gallery" : named);
  }

  public Path folder() {
    return folder;
  }

  public int size() {
    return entries.size();
  }

  /**
   * Writes the picture as the next one of the gallery, named after its number and caption.
   *
   * @return the file written
   */
  public Path add(String caption, byte[] png) {
    if (caption == null) throw new NullPointerException("caption");
    if (png == null) throw new NullPointerException("png");
    String fileName = String.format(Locale.ROOT, "%02d-%s.png", entries.size() + 1, slug(caption));
    Path file = folder.resolve(fileName);
    try {
      Files.write(file, png);
    } catch (IOException e) {
      throw new UncheckedIOException("cannot write " + file, e);
    }
    entries.add(new Entry(caption, fileName));
    if (SCREENSHOT_TOOL != null) addServerScreenshot(caption);
    return file;
  }

  private static String screenshotTool() {
    if (!"1".equals(System.getenv("BRIX_LIVE_GALLERY"))) return null;
    String tool = System.getenv("BRIX_SCREENSHOT_TOOL");
    return tool == null || tool.isEmpty() ? null : tool;
  }

  /**
   * Adds what the X server shows at this moment, next to the snapshot just added, captioned as
   * taken from the server. A screenshot that fails is reported and left out.
   */
  private void addServerScreenshot(String caption) {
    // Under a window manager (make demo-live WM=...) the pictures say which one.
    String manager = System.getenv("BRIX_LIVE_WM");
    boolean managed = manager != null && !manager.isEmpty();
    String fileName = String.format(Locale.ROOT, "%02d-x-server-%s%s.png", entries.size() + 1,
        managed ? slug(manager) + "-" : "", slug(caption));
    Path file = folder.resolve(fileName);
    try {
      Process process = new ProcessBuilder(SCREENSHOT_TOOL, file.toString()).inheritIO().start();
      if (process.waitFor() != 0) {
        System.err.println("No screenshot of the X server for \"" + caption + "\"");
        return;
      }
    } catch (IOException e) {
      System.err.println("No screenshot of the X server: " + e.getMessage());
      return;
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
      return;
    }
    String source = managed ? "the X server's screen, under " + manager : "the X server's screen";
    entries.add(new Entry("Taken from " + source + ": " + caption, fileName));
  }

  /** Writes index.html: every picture in the order added, with its caption. */
  public Path writeIndex() {
    StringBuilder html = new StringBuilder();
    html.append("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n")
        .append("<title>libbrixdialogs gallery</title>\n<style>\n")
        .append("body { font-family: sans-serif; background: #f4f4f4; margin: 2em; }\n")
        .append("figure { margin: 0 0 3em; }\n")
        .append("img { max-width: 100%; height: auto; box-shadow: 0 2px 12px #0003; }\n")
        .append("figcaption { margin-top: 0.6em; color: #333; }\n</style>\n</head>\n<body>\n")
        .append("<h1>libbrixdialogs gallery</h1>\n");
    int number = 0;
    for (Entry entry : entries) {
      number++;
      html.append("<figure>\n<img src=\"")
          .append(escape(entry.fileName()))
          .append("\" alt=\"")
          .append(escape(entry.caption()))
          .append("\">\n<figcaption>")
          .append(number)
          .append(". ")
          .append(escape(entry.caption()))
          .append("</figcaption>\n</figure>\n");
    }
    html.append("</body>\n</html>\n");
    Path index = folder.resolve("index.html");
    try {
      Files.writeString(index, html, StandardCharsets.UTF_8);
    } catch (IOException e) {
      throw new UncheckedIOException("cannot write " + index, e);
    }
    return index;
  }

  /** Lower-case letters and digits of the caption, words joined by dashes, at most 48. */
  static String slug(String caption) {
    StringBuilder slug = new StringBuilder();
    boolean dash = false;
    for (char c : caption.toLowerCase(Locale.ROOT).toCharArray()) {
      if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
        if (dash && slug.length() > 0) slug.append('-');
        slug.append(c);
        dash = false;
      } else {
        dash = true;
      }
      if (slug.length() >= 48) break;
    }
    return slug.length() == 0 ? "snapshot" : slug.toString();
  }

  static String escape(String text) {
    StringBuilder out = new StringBuilder(text.length());
    for (char c : text.toCharArray()) {
      switch (c) {
        case '&' -> out.append("&amp;");
        case '<' -> out.append("&lt;");
        case '>' -> out.append("&gt;");
        case '"' -> out.append("&quot;");
        default -> out.append(c);
      }
    }
    return out.toString();
  }
}
