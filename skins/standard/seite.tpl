<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="color-scheme" content="light dark">
<title>[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)Bild %IMG_NUMBER%[VTL] END CONDITION – %HTML:GALERIETITEL%</title>
<link rel="icon" href="data:,">
<link rel="stylesheet" href="files/standard.css">
<style>:root { --akzent: %AKZENTFARBE%; }</style>
<script src="files/standard.js" defer></script>
</head>
<body class="einzelbild">
<header class="kopf">
<p class="pfad"><a href="%URL:INDEX%" data-taste="Escape">%HTML:GALERIETITEL%</a> · Bild %IMG_NUMBER% von %NUM_RECORDS%</p>
<h1>[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)Bild %IMG_NUMBER%[VTL] END CONDITION</h1>
</header>
<main>
<figure class="foto">
<picture><source type="image/avif" srcset="%URL:GROSS_AVIF% %GROSS:WIDTH%w, %URL:GROSS15X_AVIF% %GROSS15X:WIDTH%w, %URL:GROSS2X_AVIF% %GROSS2X:WIDTH%w" sizes="[VTL] CONDITION(ISPORTRAIT)(max-width: 700px) calc(100vw - 2rem), 60vh[VTL] END CONDITION[VTL] CONDITION(ISLANDSCAPE)(max-width: 1300px) calc(100vw - 2rem), 1248px[VTL] END CONDITION"><img src="%URL:GROSS%" srcset="%URL:GROSS% %GROSS:WIDTH%w, %URL:GROSS15X% %GROSS15X:WIDTH%w, %URL:GROSS2X% %GROSS2X:WIDTH%w" sizes="[VTL] CONDITION(ISPORTRAIT)(max-width: 700px) calc(100vw - 2rem), 60vh[VTL] END CONDITION[VTL] CONDITION(ISLANDSCAPE)(max-width: 1300px) calc(100vw - 2rem), 1248px[VTL] END CONDITION" width="%GROSS:WIDTH%" height="%GROSS:HEIGHT%" style="--w: %GROSS:WIDTH%; --h: %GROSS:HEIGHT%" alt="[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)Bild %IMG_NUMBER%[VTL] END CONDITION" fetchpriority="high"></picture>
[VTL] CONDITION(DoesExist(%Beschreibung%%META:DESCRIPTION%))<figcaption>[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Beschreibung%))%HTML:Beschreibung%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Beschreibung%)=FALSE)%META:DESCRIPTION%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Beschreibung%%META:DESCRIPTION%))</figcaption>[VTL] END CONDITION
</figure>
<nav class="blaettern" aria-label="Bilder">
[VTL] CONDITION(ISFIRSTIMAGE=FALSE)<a class="knopf" rel="prev" href="%URL:PREVIOUSRECORD_SEITE%" data-taste="ArrowLeft">← Voriges Bild</a>[VTL] END CONDITION
<a class="knopf" href="%URL:INDEX%">Übersicht</a>
[VTL] CONDITION(ISLASTIMAGE=FALSE)<a class="knopf" rel="next" href="%URL:NEXTRECORD_SEITE%" data-taste="ArrowRight">Nächstes Bild →</a>[VTL] END CONDITION
</nav>
<section class="daten" aria-labelledby="daten-titel">
<h2 id="daten-titel">Aufnahmedaten</h2>
<dl>
[VTL] CONDITION(DoesExist(%EXIF:DATE%))<div><dt>Aufgenommen</dt><dd>%EXIF:DATE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%EXIF:TIME%)), %EXIF:TIME% Uhr[VTL] END CONDITION[VTL] CONDITION(DoesExist(%EXIF:DATE%))</dd></div>[VTL] END CONDITION
[VTL] CONDITION(DoesExist(%EXIF:CAMERA%))<div><dt>Kamera</dt><dd>%EXIF:CAMERA%</dd></div>[VTL] END CONDITION
[VTL] CONDITION(DoesExist(%EXIF:LENS%))<div><dt>Objektiv</dt><dd>%EXIF:LENS%</dd></div>[VTL] END CONDITION
[VTL] CONDITION(DoesExist(%EXIF:FOCALLENGTH%))<div><dt>Brennweite</dt><dd>%EXIF:FOCALLENGTH%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%EXIF:FOCALLENGTH35%)) (entspricht %EXIF:FOCALLENGTH35% Kleinbild)[VTL] END CONDITION[VTL] CONDITION(DoesExist(%EXIF:FOCALLENGTH%))</dd></div>[VTL] END CONDITION
[VTL] CONDITION(DoesExist(%EXIF:APERTURE%))<div><dt>Blende</dt><dd>%EXIF:APERTURE%</dd></div>[VTL] END CONDITION
[VTL] CONDITION(DoesExist(%EXIF:EXPOSURE%))<div><dt>Belichtungszeit</dt><dd>%EXIF:EXPOSURE%</dd></div>[VTL] END CONDITION
[VTL] CONDITION(DoesExist(%EXIF:ISO%))<div><dt>ISO</dt><dd>%EXIF:ISO%</dd></div>[VTL] END CONDITION
[VTL] CONDITION(DoesExist(%EXIF:WIDTH%))<div><dt>Größe</dt><dd>%EXIF:WIDTH% × %EXIF:HEIGHT% Pixel</dd></div>[VTL] END CONDITION
[VTL] CONDITION(DoesExist(%JPGMETA:Artist%))<div><dt>Foto</dt><dd>%JPGMETA:Artist%</dd></div>[VTL] END CONDITION
<div><dt>Datei</dt><dd>%HTML:FNAME_NO_PATH%</dd></div>
</dl>
<p class="verweise">[VTL] CONDITION(DoesExist(%EXIF:GPS%))<a href="https://www.openstreetmap.org/search?query=%URL:EXIF:GPS%" rel="external">Aufnahmeort auf der Karte</a>[VTL] END CONDITION [VTL] CONDITION(DoesExist(%ORIGINAL%))<a href="%URL:ORIGINAL%" download>Original herunterladen</a>[VTL] END CONDITION</p>
</section>
</main>
<footer class="fuss"><p>Erstellt mit Vistrel · Tasten ← und → blättern, Esc führt zur Übersicht</p></footer>
</body>
</html>
