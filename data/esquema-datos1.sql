-- Tables of a company database of the administration system (datos1, datos2, ...).
-- Loaded into an empty database: mariadb datos1 < esquema-datos1.sql

CREATE TABLE facturas (
  ID int(11) NOT NULL AUTO_INCREMENT,
  Serie varchar(5) NOT NULL DEFAULT '',
  Factura int(11) NOT NULL DEFAULT 0,
  Fecha date DEFAULT NULL,
  Cliente varchar(10) NOT NULL DEFAULT '',
  Nombre varchar(120) NOT NULL DEFAULT '',
  Subtotal double NOT NULL DEFAULT 0,
  IVA double NOT NULL DEFAULT 0,
  ImpuestoAd double NOT NULL DEFAULT 0,
  Descuento decimal(14,2) DEFAULT NULL,
  Moneda char(3) NOT NULL DEFAULT 'MXN',
  TipoCambio decimal(10,4) DEFAULT NULL,
  Captura datetime DEFAULT NULL,
  Vencimiento date DEFAULT NULL,
  Vendedor smallint(6) DEFAULT NULL,
  Cancelada tinyint(1) NOT NULL DEFAULT 0,
  Observaciones text DEFAULT NULL,
  PRIMARY KEY (ID),
  UNIQUE KEY SerieFactura (Serie, Factura),
  KEY Cliente (Cliente)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE clientes (
  Cliente varchar(10) NOT NULL,
  Nombre varchar(120) NOT NULL DEFAULT '',
  RFC varchar(13) DEFAULT NULL,
  Domicilio varchar(150) DEFAULT NULL,
  Colonia varchar(80) DEFAULT NULL,
  CP varchar(5) DEFAULT NULL,
  Ciudad varchar(60) DEFAULT NULL,
  Estado varchar(40) DEFAULT NULL,
  Telefono varchar(40) DEFAULT NULL,
  Correo varchar(80) DEFAULT NULL,
  Contacto varchar(80) DEFAULT NULL,
  LimiteCredito decimal(14,2) DEFAULT NULL,
  DiasCredito smallint(6) NOT NULL DEFAULT 0,
  Alta date DEFAULT NULL,
  PRIMARY KEY (Cliente),
  KEY Nombre (Nombre)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Keys of the system: FA-<series> holds the last invoice number of each series.
CREATE TABLE sistema (
  Dato varchar(30) NOT NULL,
  Contenido varchar(250) DEFAULT NULL,
  Tipo char(1) NOT NULL DEFAULT 'C',
  Comentario varchar(100) DEFAULT NULL,
  PRIMARY KEY (Dato)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Typed settings: Tipo C/S/T text, N number, F/D date, B/L flag.
CREATE TABLE configuracion (
  Dato varchar(30) NOT NULL,
  Contenido varchar(250) DEFAULT NULL,
  Tipo char(1) NOT NULL DEFAULT 'C',
  Comentario varchar(100) DEFAULT NULL,
  PRIMARY KEY (Dato)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Long texts cut into numbered pieces of 250 characters.
CREATE TABLE memos (
  Llave varchar(30) NOT NULL,
  Registro int(11) NOT NULL,
  Contenido varchar(250) DEFAULT NULL,
  PRIMARY KEY (Llave, Registro)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
